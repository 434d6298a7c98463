#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable portuguese_strings{
    u8"Ficheiros a descarregar\0"                                                             // 1
    u8"Guardar definições\0"                                                                  // 2
    u8"* Dados que a empresa de transportes é obrigada a descarregar nos termos do "
    u8"Regulamento (UE) 581/2010 da Comissão\0"                                               // 3
    u8"Lanternbook Rover/Twin\0"                                                              // 4
    u8"Atualização de software\0"                                                             // 5
    u8"Guardar definições\0"                                                                  // 6
    u8"Resumo*\0"                                                                             // 7
    u8"Atividades*\0"                                                                         // 8
    u8"Incidentes e falhas*\0"                                                                // 9
    u8"Velocidade detalhada\0"                                                                // 10
    u8"Dados técnicos*\0"                                                                     // 11
    u8"Desde o último descarregamento\0"                                                      // 12
    u8"De:\0"                                                                                 // 13
    u8"Até:\0"                                                                                // 14
    u8"\0"                                                                                    // 15
    u8"\0"                                                                                    // 16
    u8"\0"                                                                                    // 17
    u8"Últimos:\0"                                                                            // 18
    u8"dias\0"                                                                                // 19
    u8"Tudo\0"                                                                                // 20
    u8"Formatar o dispositivo\0"                                                              // 21
    u8"Manter as definições\0"                                                                // 22
    u8"Formatar\0"                                                                            // 23
    u8"Atenção\0"                                                                             // 24
    u8"A formatação irá apagar todos os dados guardados no dispositivo.\0"                    // 25
    u8"Sair\0"                                                                                // 26
    u8"Foi detetado um tamanho de dispositivo incorreto. A formatação não irá "
    u8"continuar.\0"                                                                          // 27
    u8"Apagar a memória\0"                                                                    // 28
    u8"Apagar\0"                                                                              // 29
    u8"Reiniciar o dispositivo após a atualização do firmware\0"                              // 30
    u8"Número de série:\0"                                                                    // 31
    u8"Versão do software:\0"                                                                 // 32
    u8"Sem dados\0"                                                                           // 33
    u8"Atualizar\0"                                                                           // 34
    u8"Caminho do firmware\0"                                                                 // 35
    u8"Serão apagados todos os descarregamentos do dispositivo.\nDeseja continuar?\0"         // 36
    u8"\0"                                                                                    // 37
    u8"\0"                                                                                    // 38
    u8"Descarregamento do cartão de condutor via tacógrafo\0"                                 // 39
    u8"Configuração própria do intervalo de dados com o botão \u00A7 (só para QVZ)\0"         // 40
    u8"Dados especiais VDO\0"                                                                 // 41
    u8"Não foi possível guardar as definições no dispositivo.\0"                              // 42
    u8"O dispositivo foi removido ou substituído. A operação foi interrompida.\0"             // 43
    u8"Não foi possível copiar os ficheiros de programa do dispositivo. "
    u8"A formatação não será iniciada.\0"                                                     // 44
    u8"Não foi possível repor os ficheiros de programa no dispositivo. Estão guardados em:\0" // 45
    u8"Não foi possível apagar alguns descarregamentos.\0"                                    // 46
    u8"Não foi possível formatar o dispositivo.\0"                                            // 47
    u8"Não foi possível ler as definições do dispositivo. A formatação não será iniciada.\0"  // 48
    u8"Não foi possível verificar o dispositivo após a formatação. "
    u8"Os seus ficheiros de programa e definições estão guardados em:\0"                   // 49
    u8"Os ficheiros do dispositivo foram repostos, mas não foi possível remover as respetivas cópias de:\0" // 50
    u8"Durante a formatação, outro volume ocupou o lugar do dispositivo. "
    u8"Nada foi escrito nele. "
    u8"Os ficheiros de programa e as definições do dispositivo estão guardados em:\0"      // 51
    u8"A formatação deste dispositivo não terminou. "
    u8"Repor agora os seus ficheiros de programa e definições?\0"                          // 52
    u8"A formatação deste dispositivo não terminou e o dispositivo não está ligado. "
    u8"Gravar os seus ficheiros de programa e definições nesta unidade vazia?\0"           // 53
    u8"A formatação deste dispositivo não terminou. "
    u8"Uma cópia dos seus ficheiros de programa e definições está guardada em:\0"          // 54
    u8"Os ficheiros de programa e as definições do dispositivo foram repostos, "
    u8"mas não foi possível definir a etiqueta do volume como:\0"                          // 55
};

}  // namespace lanternbook
