<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="th_TH" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 พร้อมแล้ว</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 กำลังเริ่มต้น...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>รายละเอียด: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>ไม่สามารถติดตั้ง %1 ได้</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>ไม่สามารถเริ่ม %1 ได้</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>พื้นที่ดิสก์ไม่เพียงพอ</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>แพ็กเกจการติดตั้งเสียหาย</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>ไม่สามารถเขียนลงในโฟลเดอร์การติดตั้งได้</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>ไม่สามารถทำการอัปเดตที่ถูกขัดจังหวะให้เสร็จสมบูรณ์ได้</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>ไม่สามารถเรียกใช้โปรแกรมไคลเอ็นต์ได้</translation>
    </message>
    <message>
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>ไม่สามารถติดตั้งการอัปเดตของ %1 ได้ เวอร์ชันปัจจุบันยังคงทำงานอยู่</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>พื้นที่ดิสก์ใน %1 ไม่เพียงพอ: ต้องการ %2 ว่างอยู่ %3</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>ไม่สามารถเขียนลงในโฟลเดอร์ %1 ได้</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>ไม่สามารถเขียนบันทึกได้ รายละเอียดถูกส่งไปยังเอาต์พุตข้อผิดพลาดมาตรฐาน (เรียกใช้ brenthor-loxen ในเทอร์มินัลเพื่อดู)</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>ไม่สามารถเรียกใช้โปรแกรมจาก %1 ได้: ระบบไฟล์ถูกเมานต์แบบ noexec</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>ไม่สามารถเรียกใช้โปรแกรมไคลเอนต์ได้: %1</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>เมื่อแก้ไขแล้ว ให้เริ่ม %1 อีกครั้ง</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>การติดตั้งโปรแกรมนี้ไม่สมบูรณ์ โปรดติดตั้งใหม่</translation>
    </message>
</context>
</TS>
