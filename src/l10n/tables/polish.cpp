#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable polish_strings{
    u8"Dane do pobrania\0"                                                                       // 1
    u8"Zapis konfiguracji\0"                                                                     // 2
    u8"* Dane, które przedsiębiorstwo transportowe musi odczytywać zgodnie z "
    u8"rozporządzeniem Komisji (UE) nr 581/2010\0"                                               // 3
    u8"Lanternbook Rover/Twin\0"                                                                 // 4
    u8"Aktualizacja oprogramowania\0"                                                            // 5
    u8"Zapis konfiguracji\0"                                                                     // 6
    u8"Przegląd*\0"                                                                              // 7
    u8"Czynności*\0"                                                                             // 8
    u8"Zdarzenia i usterki*\0"                                                                   // 9
    u8"Szczegółowa prędkość\0"                                                                   // 10
    u8"Dane techniczne*\0"                                                                       // 11
    u8"Od ostatniego odczytu\0"                                                                  // 12
    u8"Od:\0"                                                                                    // 13
    u8"Do:\0"                                                                                    // 14
    u8"\0"                                                                                       // 15
    u8"\0"                                                                                       // 16
    u8"\0"                                                                                       // 17
    u8"Ostatnie:\0"                                                                              // 18
    u8"dni\0"                                                                                    // 19
    u8"Wszystko\0"                                                                               // 20
    u8"Formatowanie urządzenia\0"                                                                // 21
    u8"Zachowaj ustawienia urządzenia\0"                                                         // 22
    u8"Formatuj\0"                                                                               // 23
    u8"Uwaga\0"                                                                                  // 24
    u8"Formatowanie usunie wszystkie dane zapisane w urządzeniu.\0"                              // 25
    u8"Zamknij\0"                                                                                // 26
    u8"Wykryto nieprawidłową pojemność urządzenia. Formatowanie nie zostanie wykonane.\0"        // 27
    u8"Czyszczenie pamięci\0"                                                                    // 28
    u8"Wyczyść\0"                                                                                // 29
    u8"Reset urządzenia po aktualizacji oprogramowania sprzętowego\0"                            // 30
    u8"Nr seryjny urządzenia:\0"                                                                 // 31
    u8"Wersja oprogramowania:\0"                                                                 // 32
    u8"brak danych\0"                                                                            // 33
    u8"Aktualizuj\0"                                                                             // 34
    u8"Ścieżka oprogramowania sprzętowego\0"                                                     // 35
    u8"Czyszczenie spowoduje usunięcie wszystkich odczytów kart i tachografów.\r\n Czy kontynuować?\0" // 36
    u8"\0"                                                                                       // 37
    u8"\0"                                                                                       // 38
    u8"Odczyt karty kierowcy przez tachograf\0"                                                  // 39
    u8"Wybierz zakres odczytu przyciskiem \u00A7 (tylko dla QVZ)\0"                              // 40
    u8"Dane specjalne VDO\0"                                                                     // 41
    u8"Nie udało się zapisać ustawień w urządzeniu.\0"                                           // 42
    u8"Urządzenie zostało odłączone lub zamienione na inne. Operacja została przerwana.\0"       // 43
    u8"Nie udało się skopiować plików programu z urządzenia. "
    u8"Formatowanie nie zostanie wykonane.\0"                                                    // 44
    u8"Nie udało się przywrócić plików programu na urządzenie. "
    u8"Pliki zostały zachowane w folderze:\0"                                                    // 45
    u8"Niektórych odczytów nie udało się usunąć.\0"                                              // 46
    u8"Nie udało się sformatować urządzenia.\0"                                                  // 47
    u8"Nie udało się odczytać ustawień urządzenia. Formatowanie nie zostanie wykonane.\0"        // 48
    u8"Nie udało się sprawdzić urządzenia po formatowaniu. "
    u8"Jego pliki programu i ustawienia zostały zachowane w folderze:\0"                   // 49
    u8"Pliki urządzenia zostały przywrócone, ale nie udało się usunąć ich kopii z folderu:\0" // 50
    u8"Podczas formatowania miejsce urządzenia zajął inny wolumin. "
    u8"Nic na nim nie zapisano. "
    u8"Pliki programu i ustawienia urządzenia zostały zachowane w folderze:\0"             // 51
    u8"Formatowanie tego urządzenia nie zostało dokończone. "
    u8"Czy przywrócić teraz jego pliki programu i ustawienia?\0"                           // 52
    u8"Formatowanie tego urządzenia nie zostało dokończone, a urządzenie nie jest podłączone. "
    u8"Czy zapisać jego pliki programu i ustawienia na tym pustym dysku?\0"                // 53
    u8"Formatowanie tego urządzenia nie zostało dokończone. "
    u8"Kopia jego plików programu i ustawień została zachowana w folderze:\0"              // 54
    u8"Pliki programu i ustawienia urządzenia zostały przywrócone, "
    u8"ale nie udało się ustawić etykiety woluminu na:\0"                                  // 55
};

}  // namespace lanternbook
