#include "l10n/string_tables.h"

namespace lanternbook {

const StringTable french_strings = {
    L"Fichiers à télécharger",                                   // 1
    L"Enregistrer les paramètres",                               // 2
    // The double space and the missing space before 581 are intentional.
    L"Receuil de données exigé par  la société de transport conformément au "
    L"réglement (UE)581/2010 de la Commission",                  // 3
    kProductHeader,                                              // 4
    L"Mise à jour du logiciel",                                  // 5
    L"Enregistrer les paramètres",                               // 6
    L"Vue d\u2019ensemble*",                                     // 7
    L"Activités*",                                               // 8
    L"Incidents et anomalies*",                                  // 9
    L"Vitesse détaillée",                                        // 10
    L"Données techniques*",                                      // 11
    L"Depuis le dernier téléchargement",                         // 12
    L"De :",                                                     // 13
    L"A :",                                                      // 14
    nullptr,                                                     // 15
    nullptr,                                                     // 16
    nullptr,                                                     // 17
    L"Derniers :",                                               // 18
    L"jours",                                                    // 19
    L"Tout",                                                     // 20
    L"Formatage de l\u2019appareil",                             // 21
    L"Conserver les paramètres",                                 // 22
    L"Formater",                                                 // 23
    L"Attention",                                                // 24
    L"Le formatage effacera toutes les données enregistrées dans l\u2019appareil.", // 25
    L"Quitter",                                                  // 26
    L"Une taille d\u2019appareil incorrecte a été détectée. Le formatage est "
    L"interrompu.",                                              // 27
    L"Effacer la mémoire",                                       // 28
    L"Effacer",                                                  // 29
    L"Réinitialisation de l\u2019appareil après mise à jour du micrologiciel", // 30
    L"Numéro de série :",                                        // 31
    L"Version du logiciel :",                                    // 32
    L"Aucune donnée",                                            // 33
    L"Mettre à jour",                                            // 34
    L"Chemin du micrologiciel",                                  // 35
    L"Cette opération effacera tous les téléchargements de l\u2019appareil. "
    L"Voulez-vous continuer ?",                                  // 36
    nullptr,                                                     // 37
    nullptr,                                                     // 38
    L"Téléchargement de la carte conducteur via le tachygraphe", // 39
    L"Selectionner la gamme en utilisant le bouton \u00A7 (uniquement pour QVZ)", // 40
    L"Données spéciales VDO",                                    // 41
    L"Les paramètres n\u2019ont pas pu être enregistrés dans l\u2019appareil.", // 42
    L"L\u2019appareil a été retiré ou remplacé. L\u2019opération a été interrompue.", // 43
    L"Les fichiers programme de l\u2019appareil n\u2019ont pas pu être copiés. "
    L"Le formatage ne sera pas lancé.",                          // 44
    L"Les fichiers programme de l\u2019appareil n\u2019ont pas pu être restaurés. "
    L"Ils sont conservés dans :",                                // 45
    L"Certains téléchargements n\u2019ont pas pu être effacés.", // 46
    L"L\u2019appareil n\u2019a pas pu être formaté.",            // 47
    L"Les paramètres de l\u2019appareil n\u2019ont pas pu être lus. "
    L"Le formatage ne sera pas lancé.",                          // 48
};

}  // namespace lanternbook
