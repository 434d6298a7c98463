#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable estonian_strings{
    u8"Allalaaditavad failid\0"                                                               // 1
    u8"Salvesta seaded\0"                                                                     // 2
    u8"* Andmed, mida veoettevõtja peab komisjoni määruse (EL) nr 581/2010 kohaselt lugema\0" // 3
    u8"Lanternbook Rover/Twin\0"                                                              // 4
    u8"Tarkvara uuendamine\0"                                                                 // 5
    u8"Salvesta seaded\0"                                                                     // 6
    u8"Ülevaade*\0"                                                                           // 7
    u8"Tegevused*\0"                                                                          // 8
    u8"Sündmused ja rikked*\0"                                                                // 9
    u8"Üksikasjalik kiirus\0"                                                                 // 10
    u8"Tehnilised andmed*\0"                                                                  // 11
    u8"Alates viimasest allalaadimisest\0"                                                    // 12
    u8"Alates:\0"                                                                             // 13
    u8"Kuni:\0"                                                                               // 14
    u8"\0"                                                                                    // 15
    u8"\0"                                                                                    // 16
    u8"\0"                                                                                    // 17
    u8"Viimased:\0"                                                                           // 18
    u8"päeva\0"                                                                               // 19
    u8"Kõik\0"                                                                                // 20
    u8"Seadme vormindamine\0"                                                                 // 21
    u8"Säilita seadme seaded\0"                                                               // 22
    u8"Vorminda\0"                                                                            // 23
    u8"Hoiatus\0"                                                                             // 24
    u8"Vormindamine kustutab kõik seadmesse salvestatud andmed.\0"                            // 25
    u8"Välju\0"                                                                               // 26
    u8"Tuvastati seadme vale suurus. Vormindamist ei jätkata.\0"                              // 27
    u8"Mälu kustutamine\0"                                                                    // 28
    u8"Kustuta\0"                                                                             // 29
    u8"Seadme lähtestamine pärast püsivara uuendamist\0"                                      // 30
    u8"Seadme seerianumber:\0"                                                                // 31
    u8"Tarkvara versioon:\0"                                                                  // 32
    u8"Andmed puuduvad\0"                                                                     // 33
    u8"Uuenda\0"                                                                              // 34
    u8"Püsivara asukoht\0"                                                                    // 35
    u8"See kustutab seadmest kõik allalaaditud andmed.\nKas soovite jätkata?\0"               // 36
    u8"\0"                                                                                    // 37
    u8"\0"                                                                                    // 38
    u8"Juhikaardi allalaadimine sõidumeeriku kaudu\0"                                         // 39
    u8"Valige lugemisvahemik nupuga \u00A7 (ainult QVZ)\0"                                    // 40
    u8"VDO eriandmed\0"                                                                       // 41
    u8"Seadeid ei õnnestunud seadmesse salvestada.\0"                                         // 42
    u8"Seade eemaldati või vahetati. Toiming katkestati.\0"                                   // 43
    u8"Seadme programmifaile ei õnnestunud kopeerida. Vormindamist ei alustata.\0"            // 44
    u8"Seadme programmifaile ei õnnestunud seadmesse tagasi kopeerida. "
    u8"Need on säilitatud kaustas:\0"                                                         // 45
    u8"Osa allalaaditud andmeid ei õnnestunud kustutada.\0"                                   // 46
    u8"Seadet ei õnnestunud vormindada.\0"                                                    // 47
    u8"Seadme seadeid ei õnnestunud lugeda. Vormindamist ei alustata.\0"                      // 48
    u8"Seadet ei õnnestunud pärast vormindamist kontrollida. "
    u8"Selle programmifailid ja seaded on säilitatud kaustas:\0"                           // 49
    u8"Seadme failid kopeeriti seadmesse tagasi, kuid nende koopiaid ei õnnestunud eemaldada kaustast:\0" // 50
    u8"Vormindamise ajal asus seadme kohale teine andmeköide. "
    u8"Sellele ei kirjutatud midagi. "
    u8"Seadme programmifailid ja seaded on säilitatud kaustas:\0"                          // 51
    u8"Selle seadme vormindamine jäi lõpetamata. "
    u8"Kas kopeerida selle programmifailid ja seaded nüüd seadmesse tagasi?\0"             // 52
    u8"Selle seadme vormindamine jäi lõpetamata ja seade pole ühendatud. "
    u8"Kas kirjutada selle programmifailid ja seaded sellele tühjale kettale?\0"           // 53
    u8"Selle seadme vormindamine jäi lõpetamata. "
    u8"Selle programmifailide ja seadete koopia on säilitatud kaustas:\0"                  // 54
    u8"Seadme programmifailid ja seaded kopeeriti seadmesse tagasi, "
    u8"kuid andmeköitele ei õnnestunud anda järgmist silti:\0"                             // 55
};

}  // namespace lanternbook
