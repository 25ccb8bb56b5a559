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
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>L'installation de ce programme est incomplète. Veuillez le réinstaller.</translation>
    </message>
</context>
</TS>
