#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable polish_strings = {
    L"Dane do pobrania",                                     // 1
    L"Zapis konfiguracji",                                   // 2
    L"* Dane, które przedsiębiorstwo transportowe musi odczytywać zgodnie z "
    L"rozporządzeniem Komisji (UE) nr 581/2010",             // 3
    kProductHeader,                                          // 4
    L"Aktualizacja oprogramowania",                          // 5
    L"Zapis konfiguracji",                                   // 6
    L"Przegląd*",                                            // 7
    L"Czynności*",                                           // 8
    L"Zdarzenia i usterki*",                                 // 9
    L"Szczegółowa prędkość",                                 // 10
    L"Dane techniczne*",                                     // 11
    L"Od ostatniego odczytu",                                // 12
    L"Od:",                                                  // 13
    L"Do:",                                                  // 14
    nullptr,                                                 // 15
    nullptr,                                                 // 16
    nullptr,                                                 // 17
    L"Ostatnie:",                                            // 18
    L"dni",                                                  // 19
    L"Wszystko",                                             // 20
    L"Formatowanie urządzenia",                              // 21
    L"Zachowaj ustawienia urządzenia",                       // 22
    L"Formatuj",                                             // 23
    L"Uwaga",                                                // 24
    L"Formatowanie usunie wszystkie dane zapisane w urządzeniu.",  // 25
    L"Zamknij",                                              // 26
    L"Wykryto nieprawidłową pojemność urządzenia. Formatowanie nie zostanie wykonane.",  // 27
    L"Czyszczenie pamięci",                                  // 28
    L"Wyczyść",                                              // 29
    L"Reset urządzenia po aktualizacji oprogramowania sprzętowego",  // 30
    L"Nr seryjny urządzenia:",                               // 31
    L"Wersja oprogramowania:",                               // 32
    L"brak danych",                                          // 33
    L"Aktualizuj",                                           // 34
    L"Ścieżka oprogramowania sprzętowego",                   // 35
    L"Czyszczenie spowoduje usunięcie wszystkich odczytów kart i tachografów.\r\n Czy kontynuować?",  // 36
    nullptr,                                                 // 37
    nullptr,                                                 // 38
    L"Odczyt karty kierowcy przez tachograf",                // 39
    L"Wybierz zakres odczytu przyciskiem \u00A7 (tylko dla QVZ)",  // 40
    L"Dane specjalne VDO",                                   // 41
    L"Nie udało się zapisać ustawień w urządzeniu.",         // 42
    L"Urządzenie zostało odłączone lub zamienione na inne. Operacja została przerwana.",  // 43
    L"Nie udało się skopiować plików programu z urządzenia. "
    L"Formatowanie nie zostanie wykonane.",                  // 44
    L"Nie udało się przywrócić plików programu na urządzenie. "
    L"Pliki zostały zachowane w folderze:",                  // 45
    L"Niektórych odczytów nie udało się usunąć.",            // 46
    L"Nie udało się sformatować urządzenia.",                // 47
    L"Nie udało się odczytać ustawień urządzenia. Formatowanie nie zostanie wykonane.",  // 48
};

}  // namespace lanternbook
