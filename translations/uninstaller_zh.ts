<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>QObject</name>
    <message>
        <source>TheClientIsRunningPrnptTrdtT</source>
        <translation>Ferrovane 正在运行，请先关闭后再试。</translation>
    </message>
    <message>
        <source>DetermineTheUninstalfYANYiIa</source>
        <translation>确定要卸载 Ferrovane 并删除其全部文件吗？</translation>
    </message>
    <message>
        <source>ThisSoftwareIsNotCurmXqDCfI</source>
        <translation>此电脑上没有安装 Ferrovane。</translation>
    </message>
    <message>
        <source>BeganToUnloadWkJrSaJaAq</source>
        <translation>正在删除程序文件…</translation>
    </message>
    <message>
        <source>DeleteShortcutULXVgdVTs</source>
        <translation>正在删除快捷方式…</translation>
    </message>
    <message>
        <source>ClearTheRegistryeuyqTkYHjj</source>
        <translation>正在清理注册表…</translation>
    </message>
    <message>
        <source>Uninstalled</source>
        <translation>卸载完成</translation>
    </message>
</context>
<context>
    <name>appinstaller::InstallingPage</name>
    <message>
        <source>ConfirmUninstallOemAjtmnj</source>
        <translation>确定要取消卸载吗？</translation>
    </message>
</context>
<context>
    <name>appinstaller::CustomTitleWidget</name>
    <message>
        <source>Ferrovane</source>
        <translation>Ferrovane</translation>
    </message>
</context>
<context>
    <name>InstallingUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>Ferrovane 卸载程序</translation>
    </message>
    <message>
        <source>UndoMerge</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>MainWindowUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>Ferrovane 卸载程序</translation>
    </message>
</context>
<context>
    <name>UpperWidgeUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>Ferrovane 卸载程序</translation>
    </message>
</context>
<context>
    <name>UnInstallCompletedUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>Ferrovane 卸载程序</translation>
    </message>
    <message>
        <source>Uninstalled</source>
        <translation>卸载完成</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>完成</translation>
    </message>
</context>
<context>
    <name>Ulmora::CModalTipDialog</name>
    <message>
        <source>Confirm</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
</TS>
