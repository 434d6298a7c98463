#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable croatian_strings = {
    L"Datoteke za preuzimanje",                                  // 1
    L"Spremi postavke",                                          // 2
    L"* Podaci koje prijevoznik mora očitati u skladu s Uredbom Komisije (EU) "
    L"581/2010",                                                 // 3
    kProductHeader,                                              // 4
    L"Ažuriranje softvera",                                      // 5
    L"Spremi postavke",                                          // 6
    L"Pregled*",                                                 // 7
    L"Aktivnosti*",                                              // 8
    L"Događaji i kvarovi*",                                      // 9
    L"Detaljna brzina",                                          // 10
    L"Tehnički podaci*",                                         // 11
    L"Od posljednjeg preuzimanja",                               // 12
    L"Od:",                                                      // 13
    L"Do:",                                                      // 14
    nullptr,                                                     // 15
    nullptr,                                                     // 16
    nullptr,                                                     // 17
    L"Zadnjih:",                                                 // 18
    L"dana",                                                     // 19
    L"Sve",                                                      // 20
    L"Formatiranje uređaja",                                     // 21
    L"Zadrži postavke uređaja",                                  // 22
    L"Formatiraj",                                               // 23
    L"Pozor",                                                    // 24
    L"Formatiranje će izbrisati sve podatke pohranjene na uređaju.", // 25
    L"Izlaz",                                                    // 26
    L"Otkrivena je neispravna veličina uređaja. Formatiranje neće biti "
    L"nastavljeno.",                                             // 27
    L"Brisanje memorije",                                        // 28
    L"Izbriši",                                                  // 29
    L"Resetiranje uređaja nakon nadogradnje firmvera",           // 30
    L"Serijski broj:",                                           // 31
    L"Verzija softvera:",                                        // 32
    L"Nema podataka",                                            // 33
    L"Nadogradi",                                                // 34
    L"Putanja do firmvera",                                      // 35
    L"Ovo će izbrisati sva preuzimanja s uređaja.\nŽelite li nastaviti?", // 36
    nullptr,                                                     // 37
    nullptr,                                                     // 38
    L"Preuzimanje vozačke kartice putem tahografa",              // 39
    L"Odaberite raspon čitanja pomoću \u00A7 gumba (samo za QVZ)", // 40
    L"Posebni podaci VDO",                                       // 41
    L"Nije moguće spremiti postavke na uređaj.",                 // 42
    L"Uređaj je uklonjen ili zamijenjen. Postupak je prekinut.", // 43
    L"Nije moguće kopirati programske datoteke uređaja. Formatiranje neće biti pokrenuto.", // 44
    L"Nije moguće vratiti programske datoteke na uređaj. Spremljene su u mapi:", // 45
    L"Nije moguće izbrisati neka preuzimanja.",                  // 46
    L"Nije moguće formatirati uređaj.",                          // 47
    L"Nije moguće pročitati postavke uređaja. Formatiranje neće biti pokrenuto.", // 48
};

}  // namespace lanternbook
