<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="hu_HU" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>A %1 készen áll.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>A %1 inicializálása folyamatban...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Részletek: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>A %1 telepítése nem sikerült.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>A %1 indítása nem sikerült.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>Nincs elég szabad hely a lemezen.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>A telepítőcsomag sérült.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>A telepítési mappába nem lehet írni.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>Egy megszakadt frissítést nem sikerült befejezni.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>Az ügyfélprogramot nem sikerült futtatni.</translation>
    </message>
    <message>
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>A(z) %1 frissítését nem sikerült telepíteni; a jelenlegi verzió tovább fut.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>Nincs elég lemezterület itt: %1. Szükséges: %2, szabad: %3.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>A(z) %1 mappába nem lehet írni.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>Nem sikerült naplót írni; a részletek a szabványos hibakimenetre kerültek (futtassa a brenthor-loxen parancsot egy terminálban a megtekintésükhöz).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>Innen nem lehet programot futtatni: %1. A fájlrendszere noexec kapcsolóval van csatolva.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>A kliensprogramot nem sikerült futtatni: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>A hiba elhárítása után indítsa újra a(z) %1 alkalmazást.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>A program telepítése hiányos. Telepítse újra.</translation>
    </message>
</context>
</TS>
