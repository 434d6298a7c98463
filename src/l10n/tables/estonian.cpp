#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable estonian_strings = {
    L"Allalaaditavad failid",                                // 1
    L"Salvesta seaded",                                      // 2
    L"* Andmed, mida veoettevõtja peab komisjoni määruse (EL) nr 581/2010 kohaselt lugema",  // 3
    kProductHeader,                                          // 4
    L"Tarkvara uuendamine",                                  // 5
    L"Salvesta seaded",                                      // 6
    L"Ülevaade*",                                            // 7
    L"Tegevused*",                                           // 8
    L"Sündmused ja rikked*",                                 // 9
    L"Üksikasjalik kiirus",                                  // 10
    L"Tehnilised andmed*",                                   // 11
    L"Alates viimasest allalaadimisest",                     // 12
    L"Alates:",                                              // 13
    L"Kuni:",                                                // 14
    nullptr,                                                 // 15
    nullptr,                                                 // 16
    nullptr,                                                 // 17
    L"Viimased:",                                            // 18
    L"päeva",                                                // 19
    L"Kõik",                                                 // 20
    L"Seadme vormindamine",                                  // 21
    L"Säilita seadme seaded",                                // 22
    L"Vorminda",                                             // 23
    L"Hoiatus",                                              // 24
    L"Vormindamine kustutab kõik seadmesse salvestatud andmed.",  // 25
    L"Välju",                                                // 26
    L"Tuvastati seadme vale suurus. Vormindamist ei jätkata.",  // 27
    L"Mälu kustutamine",                                     // 28
    L"Kustuta",                                              // 29
    L"Seadme lähtestamine pärast püsivara uuendamist",       // 30
    L"Seadme seerianumber:",                                 // 31
    L"Tarkvara versioon:",                                   // 32
    L"Andmed puuduvad",                                      // 33
    L"Uuenda",                                               // 34
    L"Püsivara asukoht",                                     // 35
    L"See kustutab seadmest kõik allalaaditud andmed.\nKas soovite jätkata?",  // 36
    nullptr,                                                 // 37
    nullptr,                                                 // 38
    L"Juhikaardi allalaadimine sõidumeeriku kaudu",          // 39
    L"Valige lugemisvahemik nupuga \u00A7 (ainult QVZ)",     // 40
    L"VDO eriandmed",                                        // 41
    L"Seadeid ei õnnestunud seadmesse salvestada.",          // 42
    L"Seade eemaldati või vahetati. Toiming katkestati.",    // 43
    L"Seadme programmifaile ei õnnestunud kopeerida. Vormindamist ei alustata.",  // 44
    L"Seadme programmifaile ei õnnestunud seadmesse tagasi kopeerida. "
    L"Need on säilitatud kaustas:",                          // 45
    L"Osa allalaaditud andmeid ei õnnestunud kustutada.",    // 46
    L"Seadet ei õnnestunud vormindada.",                     // 47
    L"Seadme seadeid ei õnnestunud lugeda. Vormindamist ei alustata.",  // 48
};

}  // namespace lanternbook
