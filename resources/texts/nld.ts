<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="nl_NL" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 is gereed.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 is bezig met initialisatie...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Meer informatie: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>%1 kan niet worden geïnstalleerd.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>%1 kan niet worden gestart.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>Er is onvoldoende schijfruimte.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>Het installatiepakket is beschadigd.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>Er kan niet naar de installatiemap worden geschreven.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>Een onderbroken update kan niet worden voltooid.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>Het clientprogramma kan niet worden uitgevoerd.</translation>
    </message>
    <message>
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>De update van %1 kon niet worden geïnstalleerd; de huidige versie blijft actief.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>Er is niet genoeg schijfruimte in %1: %2 nodig, %3 vrij.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>Er kan niet worden geschreven naar de map %1.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>Er kon geen logboek worden geschreven; de details gingen naar standaardfout (voer brenthor-loxen uit in een terminal om ze te zien).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>Vanuit %1 kunnen geen programma's worden uitgevoerd: het bestandssysteem is gekoppeld met noexec.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>Het clientprogramma kon niet worden uitgevoerd: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>Start %1 opnieuw zodra dit is opgelost.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>De installatie van dit programma is onvolledig. Installeer het opnieuw.</translation>
    </message>
</context>
</TS>
