#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable latvian_strings = {
    L"Lejupielādējamie faili",                               // 1
    L"Saglabāt iestatījumus",                                // 2
    L"* Dati, kas pārvadājumu uzņēmumam jānolasa saskaņā ar Komisijas Regulu (ES) Nr. 581/2010",  // 3
    kProductHeader,                                          // 4
    L"Programmatūras atjaunināšana",                         // 5
    L"Saglabāt iestatījumus",                                // 6
    L"Pārskats*",                                            // 7
    L"Darbības*",                                            // 8
    L"Notikumi un kļūmes*",                                  // 9
    L"Detalizēts ātrums",                                    // 10
    L"Tehniskie dati*",                                      // 11
    L"Kopš pēdējās lejupielādes",                            // 12
    L"No:",                                                  // 13
    L"Līdz:",                                                // 14
    nullptr,                                                 // 15
    nullptr,                                                 // 16
    nullptr,                                                 // 17
    L"Pēdējās:",                                             // 18
    L"dienas",                                               // 19
    L"Viss",                                                 // 20
    L"Ierīces formatēšana",                                  // 21
    L"Saglabāt ierīces iestatījumus",                        // 22
    L"Formatēt",                                             // 23
    L"Uzmanību",                                             // 24
    L"Formatēšana izdzēsīs visus ierīcē saglabātos datus.",  // 25
    L"Iziet",                                                // 26
    L"Konstatēts nepareizs ierīces izmērs. Formatēšana netiks turpināta.",  // 27
    L"Atmiņas dzēšana",                                      // 28
    L"Dzēst",                                                // 29
    L"Ierīces atiestatīšana pēc aparātprogrammatūras jaunināšanas",  // 30
    L"Ierīces sērijas numurs:",                              // 31
    L"Programmatūras versija:",                              // 32
    L"Dati nav pieejami",                                    // 33
    L"Jaunināt",                                             // 34
    L"Aparātprogrammatūras ceļš",                            // 35
    L"Tiks izdzēsti visi no ierīces lejupielādētie dati.\r\nVai vēlaties turpināt?",  // 36
    nullptr,                                                 // 37
    nullptr,                                                 // 38
    L"Vadītāja kartes lejupielāde caur tahogrāfu",           // 39
    L"Izvēlieties rādījumu diapazonu ar pogu \u00A7 (tikai QVZ)",  // 40
    L"VDO īpašie dati",                                      // 41
    L"Iestatījumus neizdevās saglabāt ierīcē.",              // 42
    L"Ierīce tika atvienota vai nomainīta. Darbība tika pārtraukta.",  // 43
    L"Ierīces programmas failus neizdevās nokopēt. Formatēšana netiks sākta.",  // 44
    L"Ierīces programmas failus neizdevās atjaunot ierīcē. Tie ir saglabāti mapē:",  // 45
    L"Dažus lejupielādētos datus neizdevās izdzēst.",        // 46
    L"Ierīci neizdevās formatēt.",                           // 47
    L"Ierīces iestatījumus neizdevās nolasīt. Formatēšana netiks sākta.",  // 48
};

}  // namespace lanternbook
