#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable lithuanian_strings = {
    L"Atsisiunčiami failai",                                 // 1
    L"Išsaugoti nustatymus",                                 // 2
    L"* Duomenys, kuriuos vežimo įmonė privalo nuskaityti pagal Komisijos reglamentą (ES) Nr. 581/2010",  // 3
    kProductHeader,                                          // 4
    L"Programinės įrangos atnaujinimas",                     // 5
    L"Išsaugoti nustatymus",                                 // 6
    L"Apžvalga*",                                            // 7
    L"Veikla*",                                              // 8
    L"Įvykiai ir gedimai*",                                  // 9
    L"Išsamus greitis",                                      // 10
    L"Techniniai duomenys*",                                 // 11
    L"Nuo paskutinio atsisiuntimo",                          // 12
    L"nuo",                                                  // 13
    L"iki",                                                  // 14
    nullptr,                                                 // 15
    nullptr,                                                 // 16
    nullptr,                                                 // 17
    L"Paskutinės:",                                          // 18
    L"dienų",                                                // 19
    L"Viskas",                                               // 20
    L"Įrenginio formatavimas",                               // 21
    L"Išsaugoti įrenginio nustatymus",                       // 22
    L"Formatuoti",                                           // 23
    L"Dėmesio",                                              // 24
    L"Formatuojant bus ištrinti visi įrenginyje saugomi duomenys.",  // 25
    L"Išeiti",                                               // 26
    L"Aptiktas netinkamas įrenginio dydis. Formatavimas nebus tęsiamas.",  // 27
    L"Atminties trynimas",                                   // 28
    L"Ištrinti",                                             // 29
    L"Įrenginio paleidimas iš naujo atnaujinus mikroprogramą",  // 30
    L"Įrenginio serijos numeris:",                           // 31
    L"Programinės įrangos versija:",                         // 32
    L"Duomenų nėra",                                         // 33
    L"Atnaujinti",                                           // 34
    L"Mikroprogramos kelias",                                // 35
    L"Iš įrenginio bus ištrinti visi atsisiųsti duomenys.\nAr norite tęsti?",  // 36
    nullptr,                                                 // 37
    nullptr,                                                 // 38
    L"Vairuotojo kortelės atsisiuntimas per tachografą",     // 39
    L"Pasirinkite rodymo sritį mygtuku \u00A7 (tik QVZ)",    // 40
    L"VDO specialieji duomenys",                             // 41
    L"Nepavyko išsaugoti nustatymų įrenginyje.",             // 42
    L"Įrenginys buvo atjungtas arba pakeistas. Operacija nutraukta.",  // 43
    L"Nepavyko nukopijuoti įrenginio programos failų. Formatavimas nebus pradėtas.",  // 44
    L"Nepavyko grąžinti programos failų į įrenginį. Jie išsaugoti aplanke:",  // 45
    L"Kai kurių atsisiųstų duomenų nepavyko ištrinti.",      // 46
    L"Nepavyko suformatuoti įrenginio.",                     // 47
    L"Nepavyko nuskaityti įrenginio nustatymų. Formatavimas nebus pradėtas.",  // 48
};

}  // namespace lanternbook
