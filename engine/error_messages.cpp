#include "engine/error_messages.h"

#include "graphics/cp1252.h"

#include <array>
#include <cerrno>
#include <cstring>

namespace ludomat {

namespace {

struct Entry {
    ErrorMessage id;
    ErrorKind kind;
    const char* text;  // UTF-8 here, for reading; Windows-1252 when shown
};

// Kept in the order of ErrorMessage.
constexpr Entry kMessages[] = {
    {ErrorMessage::NotANumber, ErrorKind::Conversion,
     "\"%1\" não é um número inteiro; escreva só algarismos, como 42 ou -7 (ou $ e dígitos "
     "hexadecimais, como $FF)."},
    {ErrorMessage::EmptyNumber, ErrorKind::Conversion,
     "falta um número: o valor está vazio; escreva um número ou guarde um número no registrador "
     "antes de usá-lo."},
    {ErrorMessage::BadColour, ErrorKind::Conversion,
     "a cor \"%1\" não vale; escreva seis dígitos hexadecimais (0-9, A-F), vermelho, verde e azul, "
     "como FF0000 para vermelho."},
    {ErrorMessage::NoSuchRegister, ErrorKind::Index, "o registrador %1 não existe; use um número de 0 a 250."},
    {ErrorMessage::DivisionByZero, ErrorKind::DivisionByZero,
     "divisão por zero; antes de dividir, confira se o divisor é diferente de 0."},
    {ErrorMessage::FloatDivision, ErrorKind::FloatDivision,
     "divisão por zero numa conta com decimais; antes de dividir, confira se o divisor é diferente "
     "de 0."},
    {ErrorMessage::InvalidFloat, ErrorKind::InvalidFloat,
     "conta com decimais sem resultado (como 0 dividido por 0); confira os valores antes da conta."},
    {ErrorMessage::FileNotOpened, ErrorKind::File,
     "não foi possível abrir o arquivo \"%1\" (%2); confira o nome e se o arquivo está na pasta "
     "do jogo."},
    {ErrorMessage::NotARegularFile, ErrorKind::File,
     "\"%1\" não é um arquivo comum (é uma pasta, um dispositivo ou um canal); dê o nome de um "
     "arquivo da pasta do jogo."},
    {ErrorMessage::ScriptTooLarge, ErrorKind::File,
     "o script \"%1\" passa de 16 MiB, bem mais que qualquer jogo; confira se o nome aponta para "
     "o arquivo certo."},
    {ErrorMessage::BadFileName, ErrorKind::File,
     "o nome de arquivo \"%1\" tem um caractere de controle; use só letras, algarismos e sinais "
     "comuns."},
    {ErrorMessage::OutsideFolders, ErrorKind::File,
     "o arquivo \"%1\" fica fora da pasta do jogo e da pasta do programa; copie-o para uma delas."},
    {ErrorMessage::OutsideGameFolder, ErrorKind::File,
     "o arquivo \"%1\" fica fora da pasta do jogo; um jogo só usa os arquivos da própria pasta."},
    {ErrorMessage::PhotoName, ErrorKind::File,
     "\"%1\" não serve de nome para a foto; use um nome simples, sem pastas, sem \"..\" e sem "
     "caracteres de controle, como foto1."},
    {ErrorMessage::PhotoNotWritten, ErrorKind::File,
     "não foi possível gravar a foto \"%1\" (%2); confira se a pasta do jogo aceita gravação e se "
     "o disco tem espaço."},
    {ErrorMessage::PictureUnreadable, ErrorKind::Picture,
     "não foi possível abrir a figura \"%1\" (%2); confira o nome e se a figura está na pasta do "
     "jogo."},
    {ErrorMessage::PictureDamaged, ErrorKind::Picture,
     "a figura \"%1\" está danificada ou não é do tipo que o nome diz; abra-a num editor de "
     "imagens e grave-a de novo como PNG, JPG, BMP ou GIF."},
    {ErrorMessage::PictureTooLarge, ErrorKind::Picture,
     "a figura \"%1\" é grande demais (o limite é 16384 x 16384 pontos); diminua-a num editor de "
     "imagens."},
    {ErrorMessage::TileMapTooLarge, ErrorKind::File,
     "o mapa \"%1\" é grande demais (no máximo 1000 x 1000 células); divida-o em mapas menores."},
    {ErrorMessage::TileMapBadCell, ErrorKind::Conversion,
     "a linha %2 do mapa \"%1\" tem \"%3\", que não é número de peça; cada célula são dois dígitos "
     "hexadecimais, como 0A."},
    {ErrorMessage::TileMapShortLine, ErrorKind::Conversion,
     "a linha %2 do mapa \"%1\" é mais curta que a primeira; todas as linhas do mapa precisam do "
     "mesmo tamanho."},
    {ErrorMessage::TextTooLong, ErrorKind::Other,
     "o texto passaria de 16 MiB, bem mais que qualquer jogo; confira se um laço não está juntando "
     "texto sem parar."},
    {ErrorMessage::OutOfMemory, ErrorKind::Other,
     "a memória acabou; confira se um laço não está guardando texto ou figuras sem parar."},
    {ErrorMessage::Unexpected, ErrorKind::Other,
     "erro inesperado (%1); confira a linha e, se o erro continuar, avise quem mantém o Ludomat."},
};

static_assert(std::size(kMessages) == size_t(ErrorMessage::Unexpected) + 1);

const Entry& entryFor(ErrorMessage id)
{
    return kMessages[size_t(id)];
}

std::string shown(std::string_view text)
{
    // A message echoes at most a short piece of what the script gave, never control bytes.
    constexpr size_t kShownLength = 200;
    std::string out(text.substr(0, kShownLength));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7F) c = '?';
    if (text.size() > kShownLength) out += "...";
    return out;
}

}  // namespace

std::string errorText(ErrorMessage id, std::string_view a1, std::string_view a2, std::string_view a3)
{
    std::string pattern = utf8ToCp1252(entryFor(id).text);
    const std::array<std::string_view, 3> args{a1, a2, a3};
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '%' && next >= '1' && next <= '3') {
            out += shown(args[size_t(next - '1')]);
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

ErrorKind errorKind(ErrorMessage id)
{
    return entryFor(id).kind;
}

void raiseError(ErrorMessage id, std::string_view a1, std::string_view a2, std::string_view a3)
{
    throw ScriptError(errorKind(id), errorText(id, a1, a2, a3));
}

std::string reasonText(int errorNumber)
{
    switch (errorNumber) {
        case ENOENT:
            return utf8ToCp1252("o arquivo não existe");
        case EACCES:
        case EPERM:
            return utf8ToCp1252("sem permissão");
        case EISDIR:
            return utf8ToCp1252("é uma pasta");
        case ENOSPC:
        case EDQUOT:
            return utf8ToCp1252("o disco está cheio");
        case EROFS:
            return utf8ToCp1252("o disco só permite leitura");
        case ELOOP:
            return utf8ToCp1252("atalho (link) em laço");
        case ENAMETOOLONG:
            return "nome longo demais";
        case ENOTDIR:
            return utf8ToCp1252("uma parte do caminho não é pasta");
        case EIO:
            return "erro de leitura no disco";
        // The system's words follow its locale (UTF-8 in most): converted like every other text.
        default:
            return shown(utf8ToCp1252(std::strerror(errorNumber)));
    }
}

}  // namespace ludomat
