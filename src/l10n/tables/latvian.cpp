#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable latvian_strings{
    u8"Lejupielādējamie faili\0"                                                                 // 1
    u8"Saglabāt iestatījumus\0"                                                                  // 2
    u8"* Dati, kas pārvadājumu uzņēmumam jānolasa saskaņā ar Komisijas Regulu (ES) Nr. 581/2010\0" // 3
    u8"Lanternbook Rover/Twin\0"                                                                 // 4
    u8"Programmatūras atjaunināšana\0"                                                           // 5
    u8"Saglabāt iestatījumus\0"                                                                  // 6
    u8"Pārskats*\0"                                                                              // 7
    u8"Darbības*\0"                                                                              // 8
    u8"Notikumi un kļūmes*\0"                                                                    // 9
    u8"Detalizēts ātrums\0"                                                                      // 10
    u8"Tehniskie dati*\0"                                                                        // 11
    u8"Kopš pēdējās lejupielādes\0"                                                              // 12
    u8"No:\0"                                                                                    // 13
    u8"Līdz:\0"                                                                                  // 14
    u8"\0"                                                                                       // 15
    u8"\0"                                                                                       // 16
    u8"\0"                                                                                       // 17
    u8"Pēdējās:\0"                                                                               // 18
    u8"dienas\0"                                                                                 // 19
    u8"Viss\0"                                                                                   // 20
    u8"Ierīces formatēšana\0"                                                                    // 21
    u8"Saglabāt ierīces iestatījumus\0"                                                          // 22
    u8"Formatēt\0"                                                                               // 23
    u8"Uzmanību\0"                                                                               // 24
    u8"Formatēšana izdzēsīs visus ierīcē saglabātos datus.\0"                                    // 25
    u8"Iziet\0"                                                                                  // 26
    u8"Konstatēts nepareizs ierīces izmērs. Formatēšana netiks turpināta.\0"                     // 27
    u8"Atmiņas dzēšana\0"                                                                        // 28
    u8"Dzēst\0"                                                                                  // 29
    u8"Ierīces atiestatīšana pēc aparātprogrammatūras jaunināšanas\0"                            // 30
    u8"Ierīces sērijas numurs:\0"                                                                // 31
    u8"Programmatūras versija:\0"                                                                // 32
    u8"Dati nav pieejami\0"                                                                      // 33
    u8"Jaunināt\0"                                                                               // 34
    u8"Aparātprogrammatūras ceļš\0"                                                              // 35
    u8"Tiks izdzēsti visi no ierīces lejupielādētie dati.\r\nVai vēlaties turpināt?\0"           // 36
    u8"\0"                                                                                       // 37
    u8"\0"                                                                                       // 38
    u8"Vadītāja kartes lejupielāde caur tahogrāfu\0"                                             // 39
    u8"Izvēlieties rādījumu diapazonu ar pogu \u00A7 (tikai QVZ)\0"                              // 40
    u8"VDO īpašie dati\0"                                                                        // 41
    u8"Iestatījumus neizdevās saglabāt ierīcē.\0"                                                // 42
    u8"Ierīce tika atvienota vai nomainīta. Darbība tika pārtraukta.\0"                          // 43
    u8"Ierīces programmas failus neizdevās nokopēt. Formatēšana netiks sākta.\0"                 // 44
    u8"Ierīces programmas failus neizdevās atjaunot ierīcē. Tie ir saglabāti mapē:\0"            // 45
    u8"Dažus lejupielādētos datus neizdevās izdzēst.\0"                                          // 46
    u8"Ierīci neizdevās formatēt.\0"                                                             // 47
    u8"Ierīces iestatījumus neizdevās nolasīt. Formatēšana netiks sākta.\0"                      // 48
    u8"Pēc formatēšanas ierīci neizdevās pārbaudīt. "
    u8"Tās programmas faili un iestatījumi ir saglabāti mapē:\0"                           // 49
    u8"Ierīces faili tika atjaunoti, taču to kopijas neizdevās izdzēst no mapes:\0"        // 50
    u8"Formatēšanas laikā ierīces vietā parādījās cits sējums. "
    u8"Uz tā nekas netika ierakstīts. "
    u8"Ierīces programmas faili un iestatījumi ir saglabāti mapē:\0"                       // 51
    u8"Šīs ierīces formatēšana netika pabeigta. "
    u8"Vai tagad atjaunot tās programmas failus un iestatījumus?\0"                        // 52
    u8"Šīs ierīces formatēšana netika pabeigta, un ierīce nav pievienota. "
    u8"Vai ierakstīt tās programmas failus un iestatījumus šajā tukšajā diskā?\0"          // 53
    u8"Šīs ierīces formatēšana netika pabeigta. "
    u8"Tās programmas failu un iestatījumu kopija ir saglabāta mapē:\0"                    // 54
    u8"Ierīces programmas faili un iestatījumi tika atjaunoti, "
    u8"taču sējumam neizdevās piešķirt šādu etiķeti:\0"                                    // 55
};

}  // namespace lanternbook
