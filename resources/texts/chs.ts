<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 已就绪。</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 正在初始化...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>详细信息：%1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>无法安装 %1。</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>无法启动 %1。</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>磁盘空间不足。</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>安装包已损坏。</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>无法写入安装文件夹。</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>无法完成被中断的更新。</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>无法运行客户端程序。</translation>
    </message>
    <message>
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>无法安装 %1 的更新；当前版本继续运行。</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>%1 中的磁盘空间不足：需要 %2，可用 %3。</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>无法写入文件夹 %1。</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>无法写入日志；详细信息已输出到标准错误（在终端中运行 brenthor-loxen 即可查看）。</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>无法从 %1 运行程序：其文件系统以 noexec 方式挂载。</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>无法运行客户端程序：%1。</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>解决此问题后，请再次启动 %1。</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>此程序的安装不完整。请重新安装。</translation>
    </message>
</context>
</TS>
