#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable italian_strings{
    u8"File da scaricare\0"                                                                  // 1
    u8"Salva impostazioni\0"                                                                 // 2
    u8"* Dati che l\u2019impresa di trasporto è tenuta a scaricare ai sensi del "
    u8"Regolamento (UE) 581/2010 della Commissione\0"                                        // 3
    u8"Lanternbook Rover/Twin\0"                                                             // 4
    u8"Aggiornamento software\0"                                                             // 5
    u8"Salva impostazioni\0"                                                                 // 6
    u8"Panoramica*\0"                                                                        // 7
    u8"Attività*\0"                                                                          // 8
    u8"Eventi e guasti*\0"                                                                   // 9
    u8"Velocità dettagliata\0"                                                               // 10
    u8"Dati tecnici*\0"                                                                      // 11
    u8"Dall\u2019ultimo download\0"                                                          // 12
    u8"Da:\0"                                                                                // 13
    u8"A:\0"                                                                                 // 14
    u8"\0"                                                                                   // 15
    u8"\0"                                                                                   // 16
    u8"\0"                                                                                   // 17
    u8"Ultimi:\0"                                                                            // 18
    u8"giorni\0"                                                                             // 19
    u8"Tutto\0"                                                                              // 20
    u8"Formattazione dispositivo\0"                                                          // 21
    u8"Conserva le impostazioni\0"                                                           // 22
    u8"Formatta\0"                                                                           // 23
    u8"Attenzione\0"                                                                         // 24
    u8"La formattazione cancellerà tutti i dati memorizzati nel dispositivo.\0"              // 25
    u8"Esci\0"                                                                               // 26
    u8"Rilevata una dimensione del dispositivo non corretta. La formattazione non "
    u8"proseguirà.\0"                                                                        // 27
    u8"Cancellazione memoria\0"                                                              // 28
    u8"Cancella\0"                                                                           // 29
    u8"Reset del dispositivo dopo l\u2019aggiornamento del firmware\0"                       // 30
    u8"Numero di serie:\0"                                                                   // 31
    u8"Versione software:\0"                                                                 // 32
    u8"Dati non disponibili\0"                                                               // 33
    u8"Aggiorna\0"                                                                           // 34
    u8"Percorso del firmware\0"                                                              // 35
    u8"Tutti i download verranno cancellati dal dispositivo.\nContinuare?\0"                 // 36
    u8"\0"                                                                                   // 37
    u8"\0"                                                                                   // 38
    u8"Download della carta del conducente tramite tachigrafo\0"                             // 39
    u8"Selezionare il range di lettura con il pulsante \u00A7 (solo per QVZ)\0"              // 40
    u8"Dati speciali VDO\0"                                                                  // 41
    u8"Impossibile salvare le impostazioni nel dispositivo.\0"                               // 42
    u8"Il dispositivo è stato rimosso o sostituito. L\u2019operazione è stata interrotta.\0" // 43
    u8"Impossibile copiare i file di programma del dispositivo. "
    u8"La formattazione non verrà avviata.\0"                                                // 44
    u8"Impossibile ripristinare i file di programma del dispositivo. Sono conservati in:\0"  // 45
    u8"Impossibile cancellare alcuni download.\0"                                            // 46
    u8"Impossibile formattare il dispositivo.\0"                                             // 47
    u8"Impossibile leggere le impostazioni del dispositivo. "
    u8"La formattazione non verrà avviata.\0"                                                // 48
    u8"Impossibile verificare il dispositivo dopo la formattazione. "
    u8"I suoi file di programma e le sue impostazioni sono conservati in:\0"               // 49
    u8"I file del dispositivo sono stati ripristinati, ma non è stato possibile eliminarne le copie da:\0" // 50
    u8"Durante la formattazione un altro volume ha preso il posto del dispositivo. "
    u8"Non vi è stato scritto nulla. "
    u8"I file di programma e le impostazioni del dispositivo sono conservati in:\0"        // 51
    u8"La formattazione di questo dispositivo non è stata completata. "
    u8"Ripristinare ora i suoi file di programma e le sue impostazioni?\0"                 // 52
    u8"La formattazione di questo dispositivo non è stata completata e il dispositivo non è collegato. "
    u8"Scrivere i suoi file di programma e le sue impostazioni su questa unità vuota?\0"   // 53
    u8"La formattazione di questo dispositivo non è stata completata. "
    u8"Una copia dei suoi file di programma e delle sue impostazioni è conservata in:\0"   // 54
    u8"I file di programma e le impostazioni del dispositivo sono stati ripristinati, "
    u8"ma non è stato possibile impostare la sua etichetta di volume su:\0"                // 55
};

}  // namespace lanternbook
