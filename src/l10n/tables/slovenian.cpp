#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable slovenian_strings = {
    L"Datoteke za prenos",                                       // 1
    L"Shrani nastavitve",                                        // 2
    L"* Podatki, ki jih mora prevoznik odčitati v skladu z Uredbo Komisije (EU) "
    L"581/2010",                                                 // 3
    kProductHeader,                                              // 4
    L"Posodobitev programske opreme",                            // 5
    L"Shrani nastavitve",                                        // 6
    L"Pregled*",                                                 // 7
    L"Dejavnosti*",                                              // 8
    L"Dogodki in napake*",                                       // 9
    L"Podrobna hitrost",                                         // 10
    L"Tehnični podatki*",                                        // 11
    L"Od zadnjega prenosa",                                      // 12
    L"Od:",                                                      // 13
    L"Do:",                                                      // 14
    nullptr,                                                     // 15
    nullptr,                                                     // 16
    nullptr,                                                     // 17
    L"Zadnjih:",                                                 // 18
    L"dni",                                                      // 19
    L"Vse",                                                      // 20
    L"Formatiranje naprave",                                     // 21
    L"Ohrani nastavitve naprave",                                // 22
    L"Formatiraj",                                               // 23
    L"Pozor",                                                    // 24
    L"Formatiranje bo izbrisalo vse podatke, shranjene v napravi.", // 25
    L"Izhod",                                                    // 26
    L"Zaznana je napačna velikost naprave. Formatiranje se ne bo nadaljevalo.", // 27
    L"Brisanje pomnilnika",                                      // 28
    L"Izbriši",                                                  // 29
    L"Ponastavitev naprave po posodobitvi vdelane programske opreme", // 30
    L"Serijska številka:",                                       // 31
    L"Različica programa:",                                      // 32
    L"Ni podatkov",                                              // 33
    L"Posodobi",                                                 // 34
    L"Pot do vdelane programske opreme",                         // 35
    L"S tem boste izbrisali vse prenose iz naprave.\nAli želite nadaljevati?", // 36
    nullptr,                                                     // 37
    nullptr,                                                     // 38
    L"Prenos kartice voznika prek tahografa",                    // 39
    L"Izberi obseg odčitka podatkov s pritiskom na tipko \u00A7 (samo za QVZ)", // 40
    L"Posebni podatki VDO",                                      // 41
    L"Nastavitev ni bilo mogoče shraniti v napravo.",            // 42
    L"Naprava je bila odstranjena ali zamenjana. Postopek je bil prekinjen.", // 43
    L"Programskih datotek naprave ni bilo mogoče kopirati. Formatiranje se ne bo začelo.", // 44
    L"Programskih datotek naprave ni bilo mogoče vrniti v napravo. Shranjene so v mapi:", // 45
    L"Nekaterih prenosov ni bilo mogoče izbrisati.",             // 46
    L"Naprave ni bilo mogoče formatirati.",                      // 47
    L"Nastavitev naprave ni bilo mogoče prebrati. Formatiranje se ne bo začelo.", // 48
};

}  // namespace lanternbook
