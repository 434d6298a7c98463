#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable spanish_strings = {
    L"Archivos a descargar",                                     // 1
    L"Guardar configuración",                                    // 2
    L"* Datos que la empresa de transporte debe descargar según el Reglamento "
    L"(UE) 581/2010 de la Comisión",                             // 3
    kProductHeader,                                              // 4
    L"Actualización de software",                                // 5
    L"Guardar configuración",                                    // 6
    L"Resumen*",                                                 // 7
    L"Actividades*",                                             // 8
    L"Incidentes y fallos*",                                     // 9
    L"Velocidad detallada",                                      // 10
    L"Datos técnicos*",                                          // 11
    L"Desde la última descarga",                                 // 12
    L"Desde:",                                                   // 13
    L"Hasta:",                                                   // 14
    nullptr,                                                     // 15
    nullptr,                                                     // 16
    nullptr,                                                     // 17
    L"Últimos:",                                                 // 18
    L"días",                                                     // 19
    L"Todo",                                                     // 20
    L"Formatear el dispositivo",                                 // 21
    L"Conservar la configuración",                               // 22
    L"Formatear",                                                // 23
    L"Atención",                                                 // 24
    L"El formateo borrará todos los datos almacenados en el dispositivo.", // 25
    L"Salir",                                                    // 26
    L"Se ha detectado un tamaño de dispositivo incorrecto. El formateo no "
    L"continuará.",                                              // 27
    L"Borrado de la memoria",                                    // 28
    L"Borrar",                                                   // 29
    L"Reiniciar el dispositivo tras actualizar el firmware",     // 30
    L"Número de serie:",                                         // 31
    L"Versión de software:",                                     // 32
    L"Sin datos",                                                // 33
    L"Actualizar",                                               // 34
    L"Ruta del firmware",                                        // 35
    L"Se borrarán todas las descargas del dispositivo.\n¿Desea continuar?", // 36
    nullptr,                                                     // 37
    nullptr,                                                     // 38
    L"Descarga de la tarjeta del conductor a través del tacógrafo", // 39
    L"Seleccione el campo de lectura con el botón \u00A7 (sólo para QVZ)", // 40
    L"Datos especiales VDO",                                     // 41
    L"No se ha podido guardar la configuración en el dispositivo.", // 42
    L"Se ha extraído o cambiado el dispositivo. Se ha interrumpido la operación.", // 43
    L"No se han podido copiar los archivos de programa del dispositivo. "
    L"El formateo no se iniciará.",                              // 44
    L"No se han podido restaurar los archivos de programa del dispositivo. Se conservan en:", // 45
    L"No se han podido borrar algunas descargas.",               // 46
    L"No se ha podido formatear el dispositivo.",                // 47
    L"No se ha podido leer la configuración del dispositivo. El formateo no se iniciará.", // 48
};

}  // namespace lanternbook
