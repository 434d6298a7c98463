#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable spanish_strings{
    u8"Archivos a descargar\0"                                                                  // 1
    u8"Guardar configuración\0"                                                                 // 2
    u8"* Datos que la empresa de transporte debe descargar según el Reglamento "
    u8"(UE) 581/2010 de la Comisión\0"                                                          // 3
    u8"Lanternbook Rover/Twin\0"                                                                // 4
    u8"Actualización de software\0"                                                             // 5
    u8"Guardar configuración\0"                                                                 // 6
    u8"Resumen*\0"                                                                              // 7
    u8"Actividades*\0"                                                                          // 8
    u8"Incidentes y fallos*\0"                                                                  // 9
    u8"Velocidad detallada\0"                                                                   // 10
    u8"Datos técnicos*\0"                                                                       // 11
    u8"Desde la última descarga\0"                                                              // 12
    u8"Desde:\0"                                                                                // 13
    u8"Hasta:\0"                                                                                // 14
    u8"\0"                                                                                      // 15
    u8"\0"                                                                                      // 16
    u8"\0"                                                                                      // 17
    u8"Últimos:\0"                                                                              // 18
    u8"días\0"                                                                                  // 19
    u8"Todo\0"                                                                                  // 20
    u8"Formatear el dispositivo\0"                                                              // 21
    u8"Conservar la configuración\0"                                                            // 22
    u8"Formatear\0"                                                                             // 23
    u8"Atención\0"                                                                              // 24
    u8"El formateo borrará todos los datos almacenados en el dispositivo.\0"                    // 25
    u8"Salir\0"                                                                                 // 26
    u8"Se ha detectado un tamaño de dispositivo incorrecto. El formateo no "
    u8"continuará.\0"                                                                           // 27
    u8"Borrado de la memoria\0"                                                                 // 28
    u8"Borrar\0"                                                                                // 29
    u8"Reiniciar el dispositivo tras actualizar el firmware\0"                                  // 30
    u8"Número de serie:\0"                                                                      // 31
    u8"Versión de software:\0"                                                                  // 32
    u8"Sin datos\0"                                                                             // 33
    u8"Actualizar\0"                                                                            // 34
    u8"Ruta del firmware\0"                                                                     // 35
    u8"Se borrarán todas las descargas del dispositivo.\n¿Desea continuar?\0"                   // 36
    u8"\0"                                                                                      // 37
    u8"\0"                                                                                      // 38
    u8"Descarga de la tarjeta del conductor a través del tacógrafo\0"                           // 39
    u8"Seleccione el campo de lectura con el botón \u00A7 (sólo para QVZ)\0"                    // 40
    u8"Datos especiales VDO\0"                                                                  // 41
    u8"No se ha podido guardar la configuración en el dispositivo.\0"                           // 42
    u8"Se ha extraído o cambiado el dispositivo. Se ha interrumpido la operación.\0"            // 43
    u8"No se han podido copiar los archivos de programa del dispositivo. "
    u8"El formateo no se iniciará.\0"                                                           // 44
    u8"No se han podido restaurar los archivos de programa del dispositivo. Se conservan en:\0" // 45
    u8"No se han podido borrar algunas descargas.\0"                                            // 46
    u8"No se ha podido formatear el dispositivo.\0"                                             // 47
    u8"No se ha podido leer la configuración del dispositivo. El formateo no se iniciará.\0"    // 48
    u8"No se ha podido comprobar el dispositivo después del formateo. "
    u8"Sus archivos de programa y su configuración se conservan en:\0"                     // 49
    u8"Se han restaurado los archivos del dispositivo, pero no se han podido eliminar sus copias de:\0" // 50
    u8"Durante el formateo, otro volumen ocupó el lugar del dispositivo. "
    u8"No se ha escrito nada en él. "
    u8"Los archivos de programa y la configuración del dispositivo se conservan en:\0"     // 51
    u8"El formateo de este dispositivo no terminó. "
    u8"¿Restaurar ahora sus archivos de programa y su configuración?\0"                    // 52
    u8"El formateo de este dispositivo no terminó y el dispositivo no está conectado. "
    u8"¿Guardar sus archivos de programa y su configuración en esta unidad vacía?\0"       // 53
    u8"El formateo de este dispositivo no terminó. "
    u8"Una copia de sus archivos de programa y su configuración se conserva en:\0"         // 54
    u8"Se han restaurado los archivos de programa y la configuración del dispositivo, "
    u8"pero no se ha podido establecer su etiqueta de volumen en:\0"                       // 55
};

}  // namespace lanternbook
