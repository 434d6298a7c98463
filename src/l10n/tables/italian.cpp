#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable italian_strings = {
    L"File da scaricare",                                        // 1
    L"Salva impostazioni",                                       // 2
    L"* Dati che l\u2019impresa di trasporto è tenuta a scaricare ai sensi del "
    L"Regolamento (UE) 581/2010 della Commissione",              // 3
    kProductHeader,                                              // 4
    L"Aggiornamento software",                                   // 5
    L"Salva impostazioni",                                       // 6
    L"Panoramica*",                                              // 7
    L"Attività*",                                                // 8
    L"Eventi e guasti*",                                         // 9
    L"Velocità dettagliata",                                     // 10
    L"Dati tecnici*",                                            // 11
    L"Dall\u2019ultimo download",                                // 12
    L"Da:",                                                      // 13
    L"A:",                                                       // 14
    nullptr,                                                     // 15
    nullptr,                                                     // 16
    nullptr,                                                     // 17
    L"Ultimi:",                                                  // 18
    L"giorni",                                                   // 19
    L"Tutto",                                                    // 20
    L"Formattazione dispositivo",                                // 21
    L"Conserva le impostazioni",                                 // 22
    L"Formatta",                                                 // 23
    L"Attenzione",                                               // 24
    L"La formattazione cancellerà tutti i dati memorizzati nel dispositivo.", // 25
    L"Esci",                                                     // 26
    L"Rilevata una dimensione del dispositivo non corretta. La formattazione non "
    L"proseguirà.",                                              // 27
    L"Cancellazione memoria",                                    // 28
    L"Cancella",                                                 // 29
    L"Reset del dispositivo dopo l\u2019aggiornamento del firmware", // 30
    L"Numero di serie:",                                         // 31
    L"Versione software:",                                       // 32
    L"Dati non disponibili",                                     // 33
    L"Aggiorna",                                                 // 34
    L"Percorso del firmware",                                    // 35
    L"Tutti i download verranno cancellati dal dispositivo.\nContinuare?", // 36
    nullptr,                                                     // 37
    nullptr,                                                     // 38
    L"Download della carta del conducente tramite tachigrafo",   // 39
    L"Selezionare il range di lettura con il pulsante \u00A7 (solo per QVZ)", // 40
    L"Dati speciali VDO",                                        // 41
    L"Impossibile salvare le impostazioni nel dispositivo.",     // 42
    L"Il dispositivo è stato rimosso o sostituito. L\u2019operazione è stata interrotta.", // 43
    L"Impossibile copiare i file di programma del dispositivo. "
    L"La formattazione non verrà avviata.",                      // 44
    L"Impossibile ripristinare i file di programma del dispositivo. Sono conservati in:", // 45
    L"Impossibile cancellare alcuni download.",                  // 46
    L"Impossibile formattare il dispositivo.",                   // 47
    L"Impossibile leggere le impostazioni del dispositivo. "
    L"La formattazione non verrà avviata.",                      // 48
};

}  // namespace lanternbook
