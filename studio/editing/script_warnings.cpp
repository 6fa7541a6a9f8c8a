#include "studio/editing/script_warnings.h"

#include "engine/command_table.h"
#include "engine/registers.h"
#include "engine/script.h"
#include "engine/text_values.h"
#include "graphics/cp1252.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace ludomat {

namespace {

using Kind = ScriptWarning::Kind;

// Extensions of the files a line can name; a parameter ending so in a file role is looked for.
constexpr std::string_view kFileExtensions[] = {".bmp", ".jpg", ".jpeg", ".png", ".gif",
                                                ".tlm", ".scp", ".pix",  ".grp"};

// The roles of one command's parameters, read from its entry in the command table: alternatives
// are separated by " | ", roles by ", "; "p1..p6" stands for six parameters of an inner command.
struct Roles {
    size_t most = 0;                                // the most parameters any form takes
    std::vector<std::vector<std::string>> byPlace;  // the role names each place can have
};

Roles rolesOf(std::string_view description)
{
    Roles roles;
    size_t start = 0;
    while (start <= description.size()) {
        size_t bar = description.find(" | ", start);
        std::string_view form = description.substr(start, bar == std::string_view::npos ? bar : bar - start);
        std::vector<std::string> names;
        size_t from = 0;
        while (!form.empty() && from <= form.size()) {
            size_t comma = form.find(", ", from);
            std::string_view role = form.substr(from, comma == std::string_view::npos ? comma : comma - from);
            if (role.size() > 4 && role.substr(0, 3) == "p1.") {
                int count = std::atoi(std::string(role.substr(role.rfind('p') + 1)).c_str());
                for (int i = 1; i <= count; ++i) names.push_back(std::string("p").append(std::to_string(i)));
            } else {
                names.emplace_back(role.substr(0, role.find('=')));
            }
            if (comma == std::string_view::npos) break;
            from = comma + 2;
        }
        roles.most = std::max(roles.most, names.size());
        if (roles.byPlace.size() < names.size()) roles.byPlace.resize(names.size());
        for (size_t i = 0; i < names.size(); ++i) roles.byPlace[i].push_back(names[i]);
        if (bar == std::string_view::npos) break;
        start = bar + 3;
    }
    return roles;
}

bool hasRole(const Roles& roles, size_t place, std::string_view prefix)
{
    if (place >= roles.byPlace.size()) return false;
    for (const std::string& name : roles.byPlace[place])
        if (name.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

// Whether `text` is a word one of the command's forms takes at this place ("box" of "cleartela").
bool namesRole(const Roles& roles, size_t place, std::string_view text)
{
    if (place >= roles.byPlace.size()) return false;
    return std::find(roles.byPlace[place].begin(), roles.byPlace[place].end(), text) != roles.byPlace[place].end();
}

bool isDynamic(std::string_view text)
{
    return !text.empty() && (text[0] == '#' || text[0] == '$');
}

bool endsWithFileExtension(std::string_view name)
{
    for (std::string_view extension : kFileExtensions)
        if (name.size() > extension.size() && name.substr(name.size() - extension.size()) == extension) return true;
    return false;
}

std::string utf8(std::string_view cp1252Text)
{
    return fromCp1252(std::string(cp1252Text)).toStdString();
}

std::string quoted(std::string_view cp1252Text)
{
    std::string text(1, '"');
    text.append(utf8(cp1252Text)).push_back('"');
    return text;
}

// One parameter of a line: its text as the engine reads it and where it stands in the line.
struct Piece {
    std::string_view text;
    int column = 0;
};

class LineChecker {
public:
    LineChecker(int index, Script& script, const std::set<std::string>& files, bool checkFiles,
                std::vector<ScriptWarning>& out)
        : m_index(index), m_script(script), m_files(files), m_checkFiles(checkFiles), m_out(out)
    {
    }

    // Returns how many lines after this one belong to it (a text running over several lines).
    int check(std::string_view line)
    {
        size_t start = 0;
        while (start < line.size() && static_cast<unsigned char>(line[start]) <= ' ') ++start;
        std::string_view trimmed = trimBlanks(line);
        if (trimmed.empty() || trimmed[0] == '/' || trimmed[0] == ':') return 0;
        size_t blank = trimmed.find(' ');
        std::string word(trimmed.substr(0, blank));
        std::vector<Piece> pieces;
        if (blank != std::string_view::npos) pieces = split(trimmed.substr(blank + 1), int(start + blank + 1), word);
        const CommandInfo* info = CommandTable::instance().info(word);
        if (info && info->params.find("várias linhas") != std::string_view::npos) return textLines(trimmed);
        checkCommand(word, int(start), pieces, 0);
        checkComment(line, int(start + word.size()));
        return 0;
    }

private:
    // A quoted text that does not close on its own line goes on, as the engine reads it, until a
    // line holding the closing quote.
    int textLines(std::string_view trimmed)
    {
        size_t open = trimmed.find('\'');
        if (open == std::string_view::npos || trimmed.find('\'', open + 1) != std::string_view::npos) return 0;
        int more = 0;
        for (int i = m_index + 1; i < m_script.lineCount(); ++i) {
            ++more;
            if (m_script.line(i).find('\'') != std::string_view::npos) break;
        }
        return more;
    }

    static std::vector<Piece> split(std::string_view rest, int column, const std::string& word)
    {
        std::vector<Piece> pieces;
        if (rest.empty()) return pieces;
        // The same two words as in the engine take the whole rest, commas included.
        if (word == "msg+" || word == "msg=") return {{rest, column}};
        size_t from = 0;
        while (true) {
            size_t comma = rest.find(',', from);
            pieces.push_back(
                {rest.substr(from, comma == std::string_view::npos ? comma : comma - from), column + int(from)});
            if (comma == std::string_view::npos) break;
            from = comma + 1;
        }
        return pieces;
    }

    void add(Kind kind, int column, int length, std::string message)
    {
        m_out.push_back({kind, m_index, column, std::max(length, 1), std::move(message)});
    }

    void checkCommand(const std::string& word, int column, const std::vector<Piece>& pieces, size_t first)
    {
        const CommandInfo* info = CommandTable::instance().info(word);
        if (!info) {
            std::string nearest = nearestCommandWord(word);
            add(Kind::UnknownCommand, column, int(word.size()),
                nearest.empty() ? "Comando desconhecido: " + quoted(word) + ". Veja os comandos na Ajuda (F7)."
                                : "Comando desconhecido. Você quis dizer " + quoted(nearest) + "?");
            return;
        }
        Roles roles = rolesOf(info->params);
        size_t count = pieces.size() - first;
        if (count > roles.most && !(count == 1 && pieces[first].text.empty())) {
            const Piece& extra = pieces[first + roles.most];
            add(Kind::TooManyParams, extra.column - 1, int(extra.text.size()) + 1,
                "Parâmetros demais: " + quoted(word) + " usa " +
                    (roles.most == 0 ? std::string("nenhum parâmetro") : "no máximo " + std::to_string(roles.most)) +
                    ", e aqui há " + std::to_string(count) + ". Confira as vírgulas.");
        }
        for (size_t place = 0; place < count && place < roles.byPlace.size(); ++place) {
            const Piece& piece = pieces[first + place];
            if (hasRole(roles, place, "comando")) {
                checkCommand(std::string(trimBlanks(piece.text)), piece.column, pieces, first + place + 1);
                return;
            }
            checkPiece(word, roles, place, piece);
        }
    }

    void checkPiece(const std::string& word, const Roles& roles, size_t place, const Piece& piece)
    {
        std::string_view text = piece.text;
        int length = int(text.size());
        if (!text.empty() && text[0] == '#') checkReference(piece);
        if (isDynamic(text)) return;
        bool label = hasRole(roles, place, "rótulo") || hasRole(roles, place, ":rótulo");
        bool script = word == "script" || (word == "gosub" && endsWithFileExtension(text));
        if (label && !script && !text.empty() && m_script.findLabel(text) < 0) {
            std::string hint = text[0] == ':' ? " Escreva o rótulo sem os dois-pontos."
                                              : " Crie a linha :" + utf8(text) + " ou confira o nome.";
            add(Kind::MissingLabel, piece.column, length, "Não há o rótulo " + quoted(text) + " neste script." + hint);
        }
        if (script || hasRole(roles, place, "figura") || hasRole(roles, place, "arquivo") ||
            hasRole(roles, place, "mapa") || hasRole(roles, place, "tiles"))
            checkFile(script ? text.substr(0, text.find('&')) : text, piece.column);
        if (hasRole(roles, place, "r ") || (word == "defreg" && place == 0)) checkRegisterNumber(piece);
        if (hasRole(roles, place, "cor") && !text.empty() && !isColour(text) && !namesRole(roles, place, text))
            add(Kind::BadColour, piece.column, length,
                "Cor inválida " + quoted(text) + ": escreva seis dígitos hexadecimais, como FF0000 (vermelho).");
    }

    static bool isColour(std::string_view text)
    {
        return text.size() == 6 && std::all_of(text.begin(), text.end(),
                                               [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
    }

    void checkFile(std::string_view name, int column)
    {
        name = trimBlanks(name);
        if (!m_checkFiles || name.empty() || !endsWithFileExtension(name) || m_files.count(std::string(name))) return;
        add(Kind::MissingFile, column, int(name.size()), "O arquivo " + quoted(name) + " não está na pasta do jogo.");
    }

    void checkRegisterNumber(const Piece& piece)
    {
        auto number = parseInt(piece.text);
        if (number && (*number < 0 || *number > kMaxRegister)) tellRegister(piece, std::to_string(*number));
    }

    void checkReference(const Piece& piece)
    {
        std::string_view digits = piece.text.substr(1);
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return;
        if (digits.size() > 3 || std::stoi(std::string(digits)) > kMaxRegister)
            tellRegister(piece, std::string(digits));
    }

    void tellRegister(const Piece& piece, const std::string& number)
    {
        add(Kind::BadRegister, piece.column, int(piece.text.size()),
            "Não existe o registrador " + number + ": os registradores vão de 0 a " + std::to_string(kMaxRegister) +
                ".");
    }

    // A "//" after the command word belongs to a parameter's value; a link such as "http://" is no
    // comment, so only a "//" that starts a parameter or follows a blank counts.
    void checkComment(std::string_view line, int from)
    {
        for (size_t at = line.find("//", size_t(from)); at != std::string_view::npos; at = line.find("//", at + 2)) {
            char before = line[at - 1];
            if (before != ' ' && before != ',' && before != '\t') continue;
            add(Kind::TrailingComment, int(at), int(line.size() - at),
                "O \"//\" depois de um parâmetro vira parte do valor. Ponha o comentário numa linha só dele.");
            return;
        }
    }

    int m_index;
    Script& m_script;
    const std::set<std::string>& m_files;
    bool m_checkFiles;
    std::vector<ScriptWarning>& m_out;
};

void checkRepeatedLabels(Script& script, std::vector<ScriptWarning>& out)
{
    for (int i = 0; i < script.lineCount(); ++i) {
        std::string_view trimmed = trimBlanks(script.line(i));
        if (trimmed.empty() || trimmed[0] != ':') continue;
        int first = script.findLabel(trimmed.substr(1));
        if (first == i || first < 0) continue;
        int column = int(script.line(i).find(':'));
        out.push_back({Kind::RepeatedLabel, i, column, int(trimmed.size()),
                       "O rótulo " + quoted(trimmed) + " já apareceu antes; os saltos vão sempre para o primeiro."});
    }
}

size_t editDistance(std::string_view a, std::string_view b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::string nearestCommandWord(const std::string& word)
{
    std::string best;
    size_t bestDistance = 3;
    std::string lower = word;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const std::string& candidate : CommandTable::instance().words()) {
        size_t distance = editDistance(lower, candidate);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = candidate;
        }
    }
    return best;
}

std::vector<ScriptWarning> findScriptWarnings(const std::vector<std::string>& lines,
                                              const std::set<std::string>& gameFiles, bool checkFiles)
{
    Script script;
    script.setLines(lines);
    std::vector<ScriptWarning> out;
    for (int i = 0; i < script.lineCount(); ++i)
        i += LineChecker(i, script, gameFiles, checkFiles, out).check(script.line(i));
    checkRepeatedLabels(script, out);
    std::stable_sort(out.begin(), out.end(),
                     [](const ScriptWarning& a, const ScriptWarning& b) { return a.line < b.line; });
    return out;
}

}  // namespace ludomat
