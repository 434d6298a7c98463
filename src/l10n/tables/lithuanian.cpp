#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable lithuanian_strings{
    u8"Atsisiunčiami failai\0"                                                                   // 1
    u8"Išsaugoti nustatymus\0"                                                                   // 2
    u8"* Duomenys, kuriuos vežimo įmonė privalo nuskaityti pagal Komisijos reglamentą (ES) Nr. 581/2010\0" // 3
    u8"Lanternbook Rover/Twin\0"                                                                 // 4
    u8"Programinės įrangos atnaujinimas\0"                                                       // 5
    u8"Išsaugoti nustatymus\0"                                                                   // 6
    u8"Apžvalga*\0"                                                                              // 7
    u8"Veikla*\0"                                                                                // 8
    u8"Įvykiai ir gedimai*\0"                                                                    // 9
    u8"Išsamus greitis\0"                                                                        // 10
    u8"Techniniai duomenys*\0"                                                                   // 11
    u8"Nuo paskutinio atsisiuntimo\0"                                                            // 12
    u8"nuo\0"                                                                                    // 13
    u8"iki\0"                                                                                    // 14
    u8"\0"                                                                                       // 15
    u8"\0"                                                                                       // 16
    u8"\0"                                                                                       // 17
    u8"Paskutinės:\0"                                                                            // 18
    u8"dienų\0"                                                                                  // 19
    u8"Viskas\0"                                                                                 // 20
    u8"Įrenginio formatavimas\0"                                                                 // 21
    u8"Išsaugoti įrenginio nustatymus\0"                                                         // 22
    u8"Formatuoti\0"                                                                             // 23
    u8"Dėmesio\0"                                                                                // 24
    u8"Formatuojant bus ištrinti visi įrenginyje saugomi duomenys.\0"                            // 25
    u8"Išeiti\0"                                                                                 // 26
    u8"Aptiktas netinkamas įrenginio dydis. Formatavimas nebus tęsiamas.\0"                      // 27
    u8"Atminties trynimas\0"                                                                     // 28
    u8"Ištrinti\0"                                                                               // 29
    u8"Įrenginio paleidimas iš naujo atnaujinus mikroprogramą\0"                                 // 30
    u8"Įrenginio serijos numeris:\0"                                                             // 31
    u8"Programinės įrangos versija:\0"                                                           // 32
    u8"Duomenų nėra\0"                                                                           // 33
    u8"Atnaujinti\0"                                                                             // 34
    u8"Mikroprogramos kelias\0"                                                                  // 35
    u8"Iš įrenginio bus ištrinti visi atsisiųsti duomenys.\nAr norite tęsti?\0"                  // 36
    u8"\0"                                                                                       // 37
    u8"\0"                                                                                       // 38
    u8"Vairuotojo kortelės atsisiuntimas per tachografą\0"                                       // 39
    u8"Pasirinkite rodymo sritį mygtuku \u00A7 (tik QVZ)\0"                                      // 40
    u8"VDO specialieji duomenys\0"                                                               // 41
    u8"Nepavyko išsaugoti nustatymų įrenginyje.\0"                                               // 42
    u8"Įrenginys buvo atjungtas arba pakeistas. Operacija nutraukta.\0"                          // 43
    u8"Nepavyko nukopijuoti įrenginio programos failų. Formatavimas nebus pradėtas.\0"           // 44
    u8"Nepavyko grąžinti programos failų į įrenginį. Jie išsaugoti aplanke:\0"                   // 45
    u8"Kai kurių atsisiųstų duomenų nepavyko ištrinti.\0"                                        // 46
    u8"Nepavyko suformatuoti įrenginio.\0"                                                       // 47
    u8"Nepavyko nuskaityti įrenginio nustatymų. Formatavimas nebus pradėtas.\0"                  // 48
    u8"Po formatavimo įrenginio patikrinti nepavyko. "
    u8"Jo programos failai ir nustatymai išsaugoti aplanke:\0"                             // 49
    u8"Įrenginio failai grąžinti, tačiau jų kopijų nepavyko pašalinti iš aplanko:\0"       // 50
    u8"Formatavimo metu įrenginio vietą užėmė kitas tomas. "
    u8"Į jį nieko neįrašyta. "
    u8"Įrenginio programos failai ir nustatymai išsaugoti aplanke:\0"                      // 51
    u8"Šio įrenginio formatavimas nebuvo baigtas. "
    u8"Ar dabar grąžinti jo programos failus ir nustatymus?\0"                             // 52
    u8"Šio įrenginio formatavimas nebuvo baigtas, o įrenginys neprijungtas. "
    u8"Ar įrašyti jo programos failus ir nustatymus į šį tuščią diską?\0"                  // 53
    u8"Šio įrenginio formatavimas nebuvo baigtas. "
    u8"Jo programos failų ir nustatymų kopija išsaugota aplanke:\0"                        // 54
    u8"Įrenginio programos failai ir nustatymai grąžinti, "
    u8"tačiau tomui nepavyko priskirti šios žymos:\0"                                      // 55
};

}  // namespace lanternbook
