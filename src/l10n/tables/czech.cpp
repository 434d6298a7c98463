#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable czech_strings = {
    L"Data ke stažení",                                      // 1
    L"Uložit nastavení",                                     // 2
    L"* Data, která je dopravce povinen stahovat podle nařízení Komise (EU) č. 581/2010",  // 3
    kProductHeader,                                          // 4
    L"Aktualizace softwaru",                                 // 5
    L"Uložit nastavení",                                     // 6
    L"Přehled*",                                             // 7
    L"Činnosti*",                                            // 8
    L"Události a poruchy*",                                  // 9
    L"Podrobná rychlost",                                    // 10
    L"Technická data*",                                      // 11
    L"Od posledního stažení",                                // 12
    L"Od:",                                                  // 13
    L"Do:",                                                  // 14
    nullptr,                                                 // 15
    nullptr,                                                 // 16
    nullptr,                                                 // 17
    L"Posledních:",                                          // 18
    L"dní",                                                  // 19
    L"Vše",                                                  // 20
    L"Formátování zařízení",                                 // 21
    L"Zachovat nastavení zařízení",                          // 22
    L"Formátovat",                                           // 23
    L"Upozornění",                                           // 24
    L"Formátování vymaže všechna data uložená v zařízení.",  // 25
    L"Zavřít",                                               // 26
    L"Byla zjištěna nesprávná velikost zařízení. Formátování nebude provedeno.",  // 27
    L"Mazání paměti",                                        // 28
    L"Vymazat",                                              // 29
    L"Restart zařízení po aktualizaci firmwaru",             // 30
    L"Sériové číslo zařízení:",                              // 31
    L"Verze softwaru:",                                      // 32
    L"Žádná data",                                           // 33
    L"Aktualizovat",                                         // 34
    L"Cesta k firmwaru",                                     // 35
    L"S touto funkcí,budou všechny údaje o řidičích i vozidlech odstraněny. chcete pokračovat?",  // 36
    nullptr,                                                 // 37
    nullptr,                                                 // 38
    L"Stažení karty řidiče přes tachograf",                  // 39
    L"Zvolte rozsah načítaných dat tlačítkem \u00A7 (jen pro QVZ)",  // 40
    L"Speciální data VDO",                                   // 41
    L"Nastavení se nepodařilo uložit do zařízení.",          // 42
    L"Zařízení bylo odpojeno nebo vyměněno. Operace byla přerušena.",  // 43
    L"Programové soubory zařízení se nepodařilo zkopírovat. Formátování nebude provedeno.",  // 44
    L"Programové soubory zařízení se nepodařilo vrátit zpět. Jsou uloženy ve složce:",  // 45
    L"Některá stažená data se nepodařilo vymazat.",          // 46
    L"Zařízení se nepodařilo naformátovat.",                 // 47
    L"Nastavení zařízení se nepodařilo načíst. Formátování nebude provedeno.",  // 48
};

}  // namespace lanternbook
