<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 準備完成</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 準備中...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>詳細資訊：%1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>無法安裝 %1。</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>無法啟動 %1。</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>磁碟空間不足。</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>安裝套件已損毀。</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>無法寫入安裝資料夾。</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>無法完成已中斷的更新。</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>無法執行用戶端程式。</translation>
    </message>
    <message>
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>無法安裝 %1 的更新；目前的版本會繼續執行。</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>%1 中的磁碟空間不足：需要 %2，可用 %3。</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>無法寫入資料夾 %1。</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>無法寫入記錄檔；詳細資訊已輸出至標準錯誤（在終端機中執行 brenthor-loxen 即可查看）。</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>無法從 %1 執行程式：其檔案系統以 noexec 方式掛載。</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>無法執行用戶端程式：%1。</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>解決此問題後，請再次啟動 %1。</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>此程式的安裝不完整。請重新安裝。</translation>
    </message>
</context>
</TS>
