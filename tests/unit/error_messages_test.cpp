// Every message that ends a run, and every reason it quotes, is Windows-1252 like all script
// text: a UTF-8 text among them shows as "Ã©" in the error box and in ludomat-run.

#include "engine/error_messages.h"
#include "engine/script_files.h"
#include "graphics/cp1252.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

using namespace ludomat;

namespace {

// A lead byte of a UTF-8 multibyte sequence followed by a continuation byte: the mark of UTF-8
// text. Portuguese in Windows-1252 never has it (an accented letter is followed by a plain one).
bool holdsUtf8Sequence(const std::string& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        unsigned char lead = static_cast<unsigned char>(text[i]), next = static_cast<unsigned char>(text[i + 1]);
        if (lead >= 0xC2 && lead <= 0xF4 && next >= 0x80 && next <= 0xBF) return true;
    }
    return false;
}

TEST(ErrorMessages, EveryMessageAndReasonIsWindows1252)
{
    std::vector<std::string> texts;
    for (int id = 0; id <= int(ErrorMessage::Unexpected); ++id)
        texts.push_back(errorText(ErrorMessage(id), "nome", "motivo", "0G"));
    // Every reason the system can give, those with our own words and the system's alike.
    for (int error = 0; error < 140; ++error) texts.push_back(reasonText(error));
    for (auto problem : {ReadFailure::NotRegular, ReadFailure::TooLarge})
        texts.push_back(failureText(ReadFailure{problem, 0}));
    for (const std::string& text : texts) {
        EXPECT_FALSE(holdsUtf8Sequence(text)) << fromCp1252(text).toStdString();
        EXPECT_EQ(toCp1252(fromCp1252(text)), text) << fromCp1252(text).toStdString();
    }
    // The reasons with accents read as meant.
    EXPECT_EQ(fromCp1252(reasonText(EISDIR)).toStdString(), "é uma pasta");
    EXPECT_EQ(fromCp1252(reasonText(ENOENT)).toStdString(), "o arquivo não existe");
}

}  // namespace
