#include "studio/help/primer.h"

namespace ludomat {

namespace {

// Each example runs with "Experimentar" in the game folder that is open; the lessons on pictures,
// tile maps and sprites use the files of the example game "coleta".
constexpr Lesson kLessons[] = {
    {"1. Texto na tela",
     "Um script é uma lista de comandos, um por linha. A primeira palavra é o comando; depois de um "
     "espaço vêm os parâmetros, separados por vírgulas.\n\n"
     "\"cleartela\" pinta a tela de uma cor e \"print\" escreve um texto numa caixa: o texto, depois x e y "
     "(a tela tem 760 x 420 pontos, com 0,0 no canto de cima, à esquerda).",
     "cleartela print",
     "cleartela 203040\nprint Olá! Este é o meu primeiro jogo.,40,40,400,60\nprint Aperte Executar para ver de "
     "novo.,40,120,400,60"},
    {"2. Registradores",
     "Os registradores são 251 gavetas numeradas de 0 a 250 que guardam textos ou números. \"reg=\" "
     "guarda, \"inc\" soma 1, \"reg+\" soma um valor.\n\n"
     "Um parâmetro que começa com \"#\" é trocado pelo que está na gaveta: #1 é o texto do registrador 1. "
     "A página \"Regs\" (F3) mostra as gavetas depois da execução.",
     "reg= inc reg+", "reg= 1,10\ninc 1\nreg+ 1,5\nprint Pontos:,40,40,120,40\nprint #1,160,40,100,40"},
    {"3. Rótulos e saltos",
     "Uma linha que começa com dois-pontos, como \":volta\", é um rótulo: um lugar do script. \"goto\" "
     "pula para ele (escreva o nome sem os dois-pontos).\n\n"
     "\"ifreg<\" só pula quando o registrador é menor que o valor: é assim que se faz uma repetição. "
     "\"fim\" termina o script.",
     "goto ifreg< fim",
     "reg= 1,0\n:volta\ninc 1\nifreg< 1,5,volta\ngoto mostra\nprint Esta linha é pulada.,40,100,300,40\n:mostra\n"
     "print Contei até:,40,40,200,40\nprint #1,240,40,100,40\nfim"},
    {"4. Teclas e seus nomes",
     "\"inkey\" guarda no registrador o nome da tecla que está apertada, ou nada. Os nomes são em inglês, "
     "como no teclado: Left, Right, Up, Down, Space, Enter, Esc, A, B, 1, 2...\n\n"
     "\"pausa\" espera (pausa 2 são 20 milésimos de segundo) e deixa a janela responder: todo laço de "
     "jogo precisa de uma.",
     "inkey pausa ifreg=",
     "reg= 2,0\n:espera\ninkey 1\nifreg= 1,Space,apertou\ninc 2\npausa 2\nifreg< 2,150,espera\nfim\n:apertou\nprint "
     "Você apertou espaço!,40,40,300,40"},
    {"5. Os sinais da linguagem",
     "// no começo da linha faz dela um comentário. Não ponha // depois de um parâmetro: ele vira parte "
     "do valor.\n\n"
     "Num texto, ~ vira espaço e ^ vira vírgula (a vírgula separa parâmetros); § quebra a linha da "
     "caixa de texto. $nome é um apelido de registrador, criado com \"defreg\".",
     "defreg print",
     "// um comentário: esta linha não faz nada\ndefreg 5,vidas\nreg= $vidas,3\nprint Vidas^~restam:§Boa "
     "sorte!,40,40,300,80\nprint #5,40,140,100,40"},
    {"6. Cores",
     "Uma cor tem seis dígitos hexadecimais: dois para o vermelho, dois para o verde e dois para o "
     "azul. FF0000 é vermelho, 00FF00 verde, 0000FF azul, FFFFFF branco e 000000 preto.\n\n"
     "\"cortxt=\" muda a cor do texto; \"rect\" e \"elipse\" desenham com a cor dada.",
     "cortxt= rect elipse",
     "cleartela 000000\ncortxt= FFFF00\nprint Cores!,40,20,300,40\nrect 40,80,200,200,FF0000\nelipse "
     "240,80,400,200,00FF00"},
    {"7. Plots",
     "A tela pode ser uma grade de quadrados grandes, os plots. \"defplot\" dá o tamanho de cada um; "
     "\"plot\" pinta o da coluna e linha dadas.\n\n"
     "Cada plot também guarda um número (255 quando pintado), que \"ifplot\" confere: bom para paredes "
     "e labirintos.",
     "defplot plot ifplot",
     "defplot 20,20\nplot 2,2,FF0000\nplot 3,2,FFFF00\nplot 4,2,00FF00\nifplot 3,2,255,pintado\nfim\n:pintado\nprint O "
     "plot 3^2 está pintado.,40,100,400,40"},
    {"8. Figuras",
     "Figuras (BMP, JPG, PNG ou GIF) ficam na pasta do jogo. \"tela\" estica uma figura sobre a tela "
     "inteira; \"fundo\" desenha uma figura num lugar e tamanho.\n\n"
     "O rosa puro FF00FF é transparente: ele não aparece. Experimente no jogo de exemplo \"coleta\".",
     "tela fundo", "tela ceu.png\nfundo heroi.png,300,150,64,64"},
    {"9. Mapas de tiles",
     "Um mapa (.tlm) diz qual tile vai em cada célula; os tiles são os quadros de uma figura. Faça os "
     "dois no editor de mapas (F11).\n\n"
     "\"tilemap\" com os nomes carrega; com números, mostra um pedaço do mapa na grade de plots, que "
     "\"defplot\" deve ter do tamanho dos tiles.",
     "tilemap defplot refresh", "defplot 20,20\ntilemap fase1.tlm,tiles.png\ntilemap 0,0,38,21\nrefresh"},
    {"10. Sprites",
     "Um sprite é uma figura que anda por cima do jogo. \"loadsprite\" carrega a folha de quadros com um "
     "nome; \"sprite\" desenha um quadro num lugar.\n\n"
     "\"collsprite\" pula para um rótulo quando dois sprites se tocam.",
     "loadsprite sprite collsprite",
     "cleartela 203040\nloadsprite heroi,heroi.png,2\nloadsprite moeda,moeda.png\nsprite heroi,100,100\nsprite "
     "moeda,120,110\ncollsprite heroi,moeda,pegou\nfim\n:pegou\nprint Pegou a moeda!,40,40,300,40"},
    {"11. Um primeiro laço de jogo",
     "Um jogo repete sempre: ler as teclas, mudar os registradores, desenhar e mostrar. Desenhe no "
     "buffer com \"clearbuf\" e \"print\"; \"refresh\" mostra tudo de uma vez, sem piscar.\n\n"
     "Use as setas para andar; Esc termina, e o exemplo para sozinho depois de umas 300 voltas.",
     "inkey ifreg= if= reg+ clearbuf print refresh pausa",
     "reg= 2,380\nreg= 4,0\n:laco\ninkey 1\nifreg= 1,Esc,sai\nif= 1,Left,reg+,2,-5\nif= 1,Right,reg+,2,5\nclearbuf "
     "000000\nprint @,#2,200,40,40\nrefresh\npausa 2\ninc 4\nifreg< 4,300,laco\n:sai\nfim"},
};

}  // namespace

std::span<const Lesson> primerLessons()
{
    return kLessons;
}

}  // namespace ludomat
