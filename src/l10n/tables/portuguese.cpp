#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable portuguese_strings = {
    L"Ficheiros a descarregar",                                  // 1
    L"Guardar definições",                                       // 2
    L"* Dados que a empresa de transportes é obrigada a descarregar nos termos do "
    L"Regulamento (UE) 581/2010 da Comissão",                    // 3
    kProductHeader,                                              // 4
    L"Atualização de software",                                  // 5
    L"Guardar definições",                                       // 6
    L"Resumo*",                                                  // 7
    L"Atividades*",                                              // 8
    L"Incidentes e falhas*",                                     // 9
    L"Velocidade detalhada",                                     // 10
    L"Dados técnicos*",                                          // 11
    L"Desde o último descarregamento",                           // 12
    L"De:",                                                      // 13
    L"Até:",                                                     // 14
    nullptr,                                                     // 15
    nullptr,                                                     // 16
    nullptr,                                                     // 17
    L"Últimos:",                                                 // 18
    L"dias",                                                     // 19
    L"Tudo",                                                     // 20
    L"Formatar o dispositivo",                                   // 21
    L"Manter as definições",                                     // 22
    L"Formatar",                                                 // 23
    L"Atenção",                                                  // 24
    L"A formatação irá apagar todos os dados guardados no dispositivo.", // 25
    L"Sair",                                                     // 26
    L"Foi detetado um tamanho de dispositivo incorreto. A formatação não irá "
    L"continuar.",                                               // 27
    L"Apagar a memória",                                         // 28
    L"Apagar",                                                   // 29
    L"Reiniciar o dispositivo após a atualização do firmware",   // 30
    L"Número de série:",                                         // 31
    L"Versão do software:",                                      // 32
    L"Sem dados",                                                // 33
    L"Atualizar",                                                // 34
    L"Caminho do firmware",                                      // 35
    L"Serão apagados todos os descarregamentos do dispositivo.\nDeseja continuar?", // 36
    nullptr,                                                     // 37
    nullptr,                                                     // 38
    L"Descarregamento do cartão de condutor via tacógrafo",      // 39
    L"Configuração própria do intervalo de dados com o botão \u00A7 (só para QVZ)", // 40
    L"Dados especiais VDO",                                      // 41
    L"Não foi possível guardar as definições no dispositivo.",   // 42
    L"O dispositivo foi removido ou substituído. A operação foi interrompida.", // 43
    L"Não foi possível copiar os ficheiros de programa do dispositivo. "
    L"A formatação não será iniciada.",                          // 44
    L"Não foi possível repor os ficheiros de programa no dispositivo. Estão guardados em:", // 45
    L"Não foi possível apagar alguns descarregamentos.",         // 46
    L"Não foi possível formatar o dispositivo.",                 // 47
    L"Não foi possível ler as definições do dispositivo. A formatação não será iniciada.", // 48
};

}  // namespace lanternbook
