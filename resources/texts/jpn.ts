<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 は準備完了です。</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 は初期化中です。</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>詳細: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>%1 をインストールできませんでした。</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>%1 を起動できませんでした。</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>ディスクの空き容量が不足しています。</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>インストール パッケージが破損しています。</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>インストール フォルダーに書き込めません。</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>中断された更新を完了できませんでした。</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>クライアント プログラムを実行できませんでした。</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>このプログラムのインストールが不完全です。再インストールしてください。</translation>
    </message>
</context>
</TS>
