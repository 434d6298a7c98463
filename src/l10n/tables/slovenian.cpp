#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable slovenian_strings{
    u8"Datoteke za prenos\0"                                                                 // 1
    u8"Shrani nastavitve\0"                                                                  // 2
    u8"* Podatki, ki jih mora prevoznik odčitati v skladu z Uredbo Komisije (EU) "
    u8"581/2010\0"                                                                           // 3
    u8"Lanternbook Rover/Twin\0"                                                             // 4
    u8"Posodobitev programske opreme\0"                                                      // 5
    u8"Shrani nastavitve\0"                                                                  // 6
    u8"Pregled*\0"                                                                           // 7
    u8"Dejavnosti*\0"                                                                        // 8
    u8"Dogodki in napake*\0"                                                                 // 9
    u8"Podrobna hitrost\0"                                                                   // 10
    u8"Tehnični podatki*\0"                                                                  // 11
    u8"Od zadnjega prenosa\0"                                                                // 12
    u8"Od:\0"                                                                                // 13
    u8"Do:\0"                                                                                // 14
    u8"\0"                                                                                   // 15
    u8"\0"                                                                                   // 16
    u8"\0"                                                                                   // 17
    u8"Zadnjih:\0"                                                                           // 18
    u8"dni\0"                                                                                // 19
    u8"Vse\0"                                                                                // 20
    u8"Formatiranje naprave\0"                                                               // 21
    u8"Ohrani nastavitve naprave\0"                                                          // 22
    u8"Formatiraj\0"                                                                         // 23
    u8"Pozor\0"                                                                              // 24
    u8"Formatiranje bo izbrisalo vse podatke, shranjene v napravi.\0"                        // 25
    u8"Izhod\0"                                                                              // 26
    u8"Zaznana je napačna velikost naprave. Formatiranje se ne bo nadaljevalo.\0"            // 27
    u8"Brisanje pomnilnika\0"                                                                // 28
    u8"Izbriši\0"                                                                            // 29
    u8"Ponastavitev naprave po posodobitvi vdelane programske opreme\0"                      // 30
    u8"Serijska številka:\0"                                                                 // 31
    u8"Različica programa:\0"                                                                // 32
    u8"Ni podatkov\0"                                                                        // 33
    u8"Posodobi\0"                                                                           // 34
    u8"Pot do vdelane programske opreme\0"                                                   // 35
    u8"S tem boste izbrisali vse prenose iz naprave.\nAli želite nadaljevati?\0"             // 36
    u8"\0"                                                                                   // 37
    u8"\0"                                                                                   // 38
    u8"Prenos kartice voznika prek tahografa\0"                                              // 39
    u8"Izberi obseg odčitka podatkov s pritiskom na tipko \u00A7 (samo za QVZ)\0"            // 40
    u8"Posebni podatki VDO\0"                                                                // 41
    u8"Nastavitev ni bilo mogoče shraniti v napravo.\0"                                      // 42
    u8"Naprava je bila odstranjena ali zamenjana. Postopek je bil prekinjen.\0"              // 43
    u8"Programskih datotek naprave ni bilo mogoče kopirati. Formatiranje se ne bo začelo.\0" // 44
    u8"Programskih datotek naprave ni bilo mogoče vrniti v napravo. Shranjene so v mapi:\0"  // 45
    u8"Nekaterih prenosov ni bilo mogoče izbrisati.\0"                                       // 46
    u8"Naprave ni bilo mogoče formatirati.\0"                                                // 47
    u8"Nastavitev naprave ni bilo mogoče prebrati. Formatiranje se ne bo začelo.\0"          // 48
    u8"Naprave po formatiranju ni bilo mogoče preveriti. "
    u8"Njene programske datoteke in nastavitve so shranjene v mapi:\0"                     // 49
    u8"Datoteke naprave so bile vrnjene, vendar njihovih kopij ni bilo mogoče odstraniti iz mape:\0" // 50
    u8"Med formatiranjem je mesto naprave zasedel drug nosilec. "
    u8"Nanj ni bilo nič zapisano. "
    u8"Programske datoteke in nastavitve naprave so shranjene v mapi:\0"                   // 51
    u8"Formatiranje te naprave se ni končalo. "
    u8"Ali želite zdaj vrniti njene programske datoteke in nastavitve?\0"                  // 52
    u8"Formatiranje te naprave se ni končalo in naprava ni priključena. "
    u8"Ali želite njene programske datoteke in nastavitve zapisati na ta prazen pogon?\0"  // 53
    u8"Formatiranje te naprave se ni končalo. "
    u8"Kopija njenih programskih datotek in nastavitev je shranjena v mapi:\0"             // 54
    u8"Programske datoteke in nastavitve naprave so bile vrnjene, "
    u8"vendar oznake nosilca ni bilo mogoče nastaviti na:\0"                               // 55
};

}  // namespace lanternbook
