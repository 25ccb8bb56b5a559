<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 est prêt.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 est en cours d'initialisation...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Détails : %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>Impossible d'installer %1.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>Impossible de démarrer %1.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>L'espace disque est insuffisant.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>Le paquet d'installation est endommagé.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>Impossible d'écrire dans le dossier d'installation.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>Une mise à jour interrompue n'a pas pu être terminée.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>Impossible d'exécuter le programme client.</translation>
    </message>
    <message>
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>La mise à jour de %1 n'a pas pu être installée ; la version actuelle continue de fonctionner.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>Espace disque insuffisant dans %1 : %2 nécessaires, %3 disponibles.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>Impossible d'écrire dans le dossier %1.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>Aucun journal n'a pu être écrit ; les détails ont été envoyés sur la sortie d'erreur standard (lancez brenthor-loxen dans un terminal pour les voir).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>Impossible d'exécuter des programmes depuis %1 : son système de fichiers est monté avec noexec.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>Impossible d'exécuter le programme client : %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>Une fois le problème résolu, redémarrez %1.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>L'installation de ce programme est incomplète. Veuillez le réinstaller.</translation>
    </message>
</context>
</TS>
