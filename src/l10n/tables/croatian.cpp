#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable croatian_strings{
    u8"Datoteke za preuzimanje\0"                                                             // 1
    u8"Spremi postavke\0"                                                                     // 2
    u8"* Podaci koje prijevoznik mora očitati u skladu s Uredbom Komisije (EU) "
    u8"581/2010\0"                                                                            // 3
    u8"Lanternbook Rover/Twin\0"                                                              // 4
    u8"Ažuriranje softvera\0"                                                                 // 5
    u8"Spremi postavke\0"                                                                     // 6
    u8"Pregled*\0"                                                                            // 7
    u8"Aktivnosti*\0"                                                                         // 8
    u8"Događaji i kvarovi*\0"                                                                 // 9
    u8"Detaljna brzina\0"                                                                     // 10
    u8"Tehnički podaci*\0"                                                                    // 11
    u8"Od posljednjeg preuzimanja\0"                                                          // 12
    u8"Od:\0"                                                                                 // 13
    u8"Do:\0"                                                                                 // 14
    u8"\0"                                                                                    // 15
    u8"\0"                                                                                    // 16
    u8"\0"                                                                                    // 17
    u8"Zadnjih:\0"                                                                            // 18
    u8"dana\0"                                                                                // 19
    u8"Sve\0"                                                                                 // 20
    u8"Formatiranje uređaja\0"                                                                // 21
    u8"Zadrži postavke uređaja\0"                                                             // 22
    u8"Formatiraj\0"                                                                          // 23
    u8"Pozor\0"                                                                               // 24
    u8"Formatiranje će izbrisati sve podatke pohranjene na uređaju.\0"                        // 25
    u8"Izlaz\0"                                                                               // 26
    u8"Otkrivena je neispravna veličina uređaja. Formatiranje neće biti "
    u8"nastavljeno.\0"                                                                        // 27
    u8"Brisanje memorije\0"                                                                   // 28
    u8"Izbriši\0"                                                                             // 29
    u8"Resetiranje uređaja nakon nadogradnje firmvera\0"                                      // 30
    u8"Serijski broj:\0"                                                                      // 31
    u8"Verzija softvera:\0"                                                                   // 32
    u8"Nema podataka\0"                                                                       // 33
    u8"Nadogradi\0"                                                                           // 34
    u8"Putanja do firmvera\0"                                                                 // 35
    u8"Ovo će izbrisati sva preuzimanja s uređaja.\nŽelite li nastaviti?\0"                   // 36
    u8"\0"                                                                                    // 37
    u8"\0"                                                                                    // 38
    u8"Preuzimanje vozačke kartice putem tahografa\0"                                         // 39
    u8"Odaberite raspon čitanja pomoću \u00A7 gumba (samo za QVZ)\0"                          // 40
    u8"Posebni podaci VDO\0"                                                                  // 41
    u8"Nije moguće spremiti postavke na uređaj.\0"                                            // 42
    u8"Uređaj je uklonjen ili zamijenjen. Postupak je prekinut.\0"                            // 43
    u8"Nije moguće kopirati programske datoteke uređaja. Formatiranje neće biti pokrenuto.\0" // 44
    u8"Nije moguće vratiti programske datoteke na uređaj. Spremljene su u mapi:\0"            // 45
    u8"Nije moguće izbrisati neka preuzimanja.\0"                                             // 46
    u8"Nije moguće formatirati uređaj.\0"                                                     // 47
    u8"Nije moguće pročitati postavke uređaja. Formatiranje neće biti pokrenuto.\0"           // 48
    u8"Uređaj nije moguće provjeriti nakon formatiranja. "
    u8"Njegove programske datoteke i postavke spremljene su u mapi:\0"                     // 49
    u8"Datoteke uređaja vraćene su, ali njihove kopije nije moguće ukloniti iz mape:\0"    // 50
    u8"Tijekom formatiranja mjesto uređaja zauzeo je drugi nosač podataka. "
    u8"Na njega ništa nije zapisano. "
    u8"Programske datoteke i postavke uređaja spremljene su u mapi:\0"                     // 51
    u8"Formatiranje ovog uređaja nije dovršeno. "
    u8"Želite li sada vratiti njegove programske datoteke i postavke?\0"                   // 52
    u8"Formatiranje ovog uređaja nije dovršeno, a uređaj nije priključen. "
    u8"Želite li njegove programske datoteke i postavke zapisati na ovaj prazni pogon?\0"  // 53
    u8"Formatiranje ovog uređaja nije dovršeno. "
    u8"Kopija njegovih programskih datoteka i postavki spremljena je u mapi:\0"            // 54
    u8"Programske datoteke i postavke uređaja vraćene su, "
    u8"ali oznaku nosača podataka nije moguće postaviti na:\0"                             // 55
};

}  // namespace lanternbook
