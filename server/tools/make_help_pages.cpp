// Writes the server's help pages "hlp02.htm" .. "hlp04.htm" from the engine's command table, so
// the help a user reads always lists the commands the studio really has:
//   make-help-pages FOLDER
// "hlp01.htm" (the first game, step by step) is written by hand.

#include "engine/command_table.h"
#include "graphics/cp1252.h"

#include <QString>

#include <cstdio>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace {

using ludomat::CommandInfo;

struct Group {
    const char* title;
    std::span<const CommandInfo> (*entries)();
};

struct Page {
    const char* file;
    const char* title;
    const char* intro;
    std::vector<Group> groups;
};

std::string escape(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else out += c;
    }
    return out;
}

// The pages are served as Windows-1252 text, as every text of the studio's server.
std::string cp1252(const std::string& utf8) { return ludomat::toCp1252(QString::fromStdString(utf8)); }

std::string pageHtml(const Page& page)
{
    std::string html = "<!DOCTYPE html>\n<html lang=\"pt-BR\"><head><meta charset=\"windows-1252\">\n<title>Ludomat - " +
                       std::string(page.title) +
                       "</title>\n<link rel=\"stylesheet\" href=\"ajuda.css\"></head><body>\n"
                       "<p class=\"nav\"><a href=\"hlp01.htm\">Primeiro jogo</a> | <a href=\"hlp02.htm\">Texto, "
                       "registradores e fluxo</a> | <a href=\"hlp03.htm\">Plots, desenho e figuras</a> | <a "
                       "href=\"hlp04.htm\">Tiles, sprites, teclado e mouse</a> | <a href=\"menu.htm\">Menu</a></p>\n<h1>" +
                       std::string(page.title) + "</h1>\n<p>" + page.intro + "</p>\n";
    for (const Group& group : page.groups) {
        html += "<h2>" + std::string(group.title) + "</h2>\n<table>\n<tr><th>Comando</th><th>Par\xC3\xA2metros</th>"
                "<th>O que faz</th></tr>\n";
        for (const CommandInfo& info : group.entries())
            html += "<tr><td><code>" + escape(info.words) + "</code></td><td><code>" + escape(info.params) +
                    "</code></td><td>" + escape(info.help) + "</td></tr>\n";
        html += "</table>\n";
    }
    html += "<p class=\"rodape\">Gerado da tabela de comandos do Ludomat.</p>\n</body></html>\n";
    return cp1252(html);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Uso: make-help-pages PASTA\n");
        return 2;
    }
    const std::vector<Page> pages = {
        {"hlp02.htm", "Texto, registradores e fluxo",
         "Cada linha do script é um comando seguido de um espaço e dos parâmetros separados por vírgulas. "
         "#N usa o valor do registrador N; $nome usa um apelido.",
         {{"Execução", ludomat::runControlCommands},
          {"Registradores", ludomat::registerCommands},
          {"Fluxo: rótulos, saltos e comparações", ludomat::flowCommands},
          {"Texto na tela", ludomat::textCommands}}},
        {"hlp03.htm", "Plots, desenho e figuras",
         "A tela tem 760 x 420 pontos; (0,0) é o canto de cima à esquerda. Cores são seis dígitos "
         "hexadecimais: vermelho, verde e azul (FF0000 é vermelho).",
         {{"Tela e buffers", ludomat::screenCommands},
          {"Plots: a matriz de quadradinhos", ludomat::plotCommands},
          {"Pixels, linhas e formas", ludomat::drawingCommands},
          {"Figuras e fundos", ludomat::pictureCommands}}},
        {"hlp04.htm", "Tiles, sprites, teclado e mouse",
         "Mapas de tiles montam cenários; sprites são figuras que andam e colidem; o teclado e o mouse "
         "fazem o jogo responder ao jogador.",
         {{"Mapas de tiles", ludomat::tileCommands},
          {"Sprites e colisões", ludomat::spriteCommands},
          {"Teclado e mouse", ludomat::inputCommands}}},
    };
    for (const Page& page : pages) {
        std::string path = std::string(argv[1]) + "/" + page.file;
        std::ofstream out(path, std::ios::binary);
        out << pageHtml(page);
        if (!out) {
            std::fprintf(stderr, "make-help-pages: não foi possível gravar %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
