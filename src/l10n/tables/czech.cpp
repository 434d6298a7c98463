#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable czech_strings{
    u8"Data ke stažení\0"                                                                        // 1
    u8"Uložit nastavení\0"                                                                       // 2
    u8"* Data, která je dopravce povinen stahovat podle nařízení Komise (EU) č. 581/2010\0"      // 3
    u8"Lanternbook Rover/Twin\0"                                                                 // 4
    u8"Aktualizace softwaru\0"                                                                   // 5
    u8"Uložit nastavení\0"                                                                       // 6
    u8"Přehled*\0"                                                                               // 7
    u8"Činnosti*\0"                                                                              // 8
    u8"Události a poruchy*\0"                                                                    // 9
    u8"Podrobná rychlost\0"                                                                      // 10
    u8"Technická data*\0"                                                                        // 11
    u8"Od posledního stažení\0"                                                                  // 12
    u8"Od:\0"                                                                                    // 13
    u8"Do:\0"                                                                                    // 14
    u8"\0"                                                                                       // 15
    u8"\0"                                                                                       // 16
    u8"\0"                                                                                       // 17
    u8"Posledních:\0"                                                                            // 18
    u8"dní\0"                                                                                    // 19
    u8"Vše\0"                                                                                    // 20
    u8"Formátování zařízení\0"                                                                   // 21
    u8"Zachovat nastavení zařízení\0"                                                            // 22
    u8"Formátovat\0"                                                                             // 23
    u8"Upozornění\0"                                                                             // 24
    u8"Formátování vymaže všechna data uložená v zařízení.\0"                                    // 25
    u8"Zavřít\0"                                                                                 // 26
    u8"Byla zjištěna nesprávná velikost zařízení. Formátování nebude provedeno.\0"               // 27
    u8"Mazání paměti\0"                                                                          // 28
    u8"Vymazat\0"                                                                                // 29
    u8"Restart zařízení po aktualizaci firmwaru\0"                                               // 30
    u8"Sériové číslo zařízení:\0"                                                                // 31
    u8"Verze softwaru:\0"                                                                        // 32
    u8"Žádná data\0"                                                                             // 33
    u8"Aktualizovat\0"                                                                           // 34
    u8"Cesta k firmwaru\0"                                                                       // 35
    u8"S touto funkcí,budou všechny údaje o řidičích i vozidlech odstraněny. chcete pokračovat?\0" // 36
    u8"\0"                                                                                       // 37
    u8"\0"                                                                                       // 38
    u8"Stažení karty řidiče přes tachograf\0"                                                    // 39
    u8"Zvolte rozsah načítaných dat tlačítkem \u00A7 (jen pro QVZ)\0"                            // 40
    u8"Speciální data VDO\0"                                                                     // 41
    u8"Nastavení se nepodařilo uložit do zařízení.\0"                                            // 42
    u8"Zařízení bylo odpojeno nebo vyměněno. Operace byla přerušena.\0"                          // 43
    u8"Programové soubory zařízení se nepodařilo zkopírovat. Formátování nebude provedeno.\0"    // 44
    u8"Programové soubory zařízení se nepodařilo vrátit zpět. Jsou uloženy ve složce:\0"         // 45
    u8"Některá stažená data se nepodařilo vymazat.\0"                                            // 46
    u8"Zařízení se nepodařilo naformátovat.\0"                                                   // 47
    u8"Nastavení zařízení se nepodařilo načíst. Formátování nebude provedeno.\0"                 // 48
    u8"Zařízení se po formátování nepodařilo zkontrolovat. "
    u8"Jeho programové soubory a nastavení jsou uloženy ve složce:\0"                      // 49
    u8"Soubory zařízení byly vráceny zpět, ale jejich kopie se nepodařilo odstranit ze složky:\0" // 50
    u8"Během formátování zaujal místo zařízení jiný svazek. "
    u8"Nic na něj nebylo zapsáno. "
    u8"Programové soubory a nastavení zařízení jsou uloženy ve složce:\0"                  // 51
    u8"Formátování tohoto zařízení nebylo dokončeno. "
    u8"Vrátit nyní jeho programové soubory a nastavení zpět?\0"                            // 52
    u8"Formátování tohoto zařízení nebylo dokončeno a zařízení není připojeno. "
    u8"Uložit jeho programové soubory a nastavení na tuto prázdnou jednotku?\0"            // 53
    u8"Formátování tohoto zařízení nebylo dokončeno. "
    u8"Kopie jeho programových souborů a nastavení je uložena ve složce:\0"                // 54
    u8"Programové soubory a nastavení zařízení byly vráceny zpět, "
    u8"ale jmenovku svazku se nepodařilo nastavit na:\0"                                   // 55
};

}  // namespace lanternbook
