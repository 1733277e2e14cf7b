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
        <source>ConfigurationFault</source>
        <translation>卸载程序无法运行：其配置文件 %1 %2。未删除任何内容。请重新安装本产品，或向其供应商索取可用的卸载程序。</translation>
    </message>
    <message>
        <source>ConfigFaultMissing</source>
        <translation>不存在</translation>
    </message>
    <message>
        <source>ConfigFaultUnreadable</source>
        <translation>无法读取</translation>
    </message>
    <message>
        <source>ConfigFaultNotXml</source>
        <translation>不是 XML 文件</translation>
    </message>
    <message>
        <source>ConfigFaultNoGuid</source>
        <translation>未在根元素下直接写明产品 GUID</translation>
    </message>
    <message>
        <source>ConfigFaultBadGuid</source>
        <translation>中的产品 GUID 不是 {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} 的形式</translation>
    </message>
    <message>
        <source>ConfigFaultTwoGuids</source>
        <translation>写明了不止一个产品 GUID</translation>
    </message>
    <message>
        <source>ConfigFaultNoClient</source>
        <translation>未写明客户端程序（ProgramName）</translation>
    </message>
    <message>
        <source>InstalledByWindowsInstaller</source>
        <translation>Ferrovane 由 Windows Installer 安装，其文件由 Windows Installer 自行记录。请运行 msiexec /x %1 或在“应用和功能”中卸载。</translation>
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
    <message>
        <source>CommandLineUnknownArgument</source>
        <translation>无法识别的参数：%1。使用 /? 运行卸载程序可查看其开关。</translation>
    </message>
    <message>
        <source>CommandLineLogWithoutFile</source>
        <translation>/LOG 需要文件名：/LOG=文件 或 /LOG 文件。</translation>
    </message>
    <message>
        <source>CommandLineLogTwice</source>
        <translation>/LOG 指定了不止一次。</translation>
    </message>
    <message>
        <source>CommandLineUsageTitle</source>
        <translation>Ferrovane 卸载程序</translation>
    </message>
    <message>
        <source>CommandLineUsage</source>
        <translation>用法：uninstaller [/S | /quiet | /qn | /VERYSILENT | /SILENT | /passive | /qb] [/WHATIF] [/LOG=文件] [/LOGFORMAT=json] [/RESTARTEXITCODE=N] [/?]

不带开关时，卸载程序在删除任何内容之前先询问，并显示进度。

/S、/quiet、/VERYSILENT、/q、/qn、/qn+  卸载时不提问、不显示窗口和消息框。
/SILENT、/passive、/qb、/qr（以及 /qb-、/qb+、/qb!）  卸载时不提问、不显示消息框；窗口显示进度，结束时自行关闭。没有显示器时与 /S 相同。
/LOG=文件、/LOG 文件      将每一项决定追加记录到该文件（UTF-8）。不带文件或未指定 /LOG 时，每次运行都在临时文件夹中写入日志，并在标准错误上以 "log: 路径" 输出其路径。
/LOGFORMAT=json          以 JSON 写日志，每行一个对象（/LOGFORMAT=text 为默认）。
/WHATIF                  试运行：判断并记录将会删除和保留的内容，不删除、不更改任何东西。退出状态与实际运行时相同。
/RESTARTEXITCODE=N       有内容在下次重新启动时删除时，以 N 代替 3010 退出。
/NORESTART、/SUPPRESSMSGBOXES、/NORESTARTAPPLICATIONS、/NOCANCEL、/qf、_?=文件夹  可接受；卸载程序从不重新启动计算机或程序，不提问的运行不显示消息框，删除开始后不能取消，删除的文件夹总是卸载项记录的文件夹。
/?、/help、-h、--help    显示本说明。

开关可以以 / 或 - 开头，不区分大小写。未知开关会被拒绝：带 /S、/SILENT 等开关时写到标准错误，绝不弹出等待点击的窗口。

带 /S 或 /SILENT 运行时的退出状态：0 完成（从安装文件夹内运行时，卸载程序自身的文件在下次重新启动时删除，也是 0）；3010 完成，其他程序占用的产品文件在下次重新启动时删除；1603 未完成，有内容保留（或本产品由 Windows Installer 安装：请用 msiexec /x）；1605 未安装；1610 AppConfig.xml 无法使用；1618 Ferrovane 正在运行，请稍后再试；1622 无法写入指定的日志；1639 参数无效。</translation>
    </message>
    <message>
        <source>LogPathIsLink</source>
        <translation>日志 %1 是一个链接；卸载程序不通过链接写日志。</translation>
    </message>
    <message>
        <source>LogPathThroughLink</source>
        <translation>日志 %1 的路径经过链接 %2；卸载程序不通过链接写日志。</translation>
    </message>
    <message>
        <source>LogPathNotALog</source>
        <translation>文件 %1 不是本卸载程序的日志：它的第一行不是卸载程序写下的第一行。卸载程序不会向其他程序的文件追加内容；请选择一个新文件或本卸载程序以前的日志。</translation>
    </message>
    <message>
        <source>LogPathNotAFile</source>
        <translation>日志 %1 不是文件。</translation>
    </message>
    <message>
        <source>LogPathInsideInstallFolder</source>
        <translation>日志 %1 位于卸载程序要删除的安装文件夹 %2 中。请在该文件夹之外选择日志位置。</translation>
    </message>
    <message>
        <source>LogPathNotWritable</source>
        <translation>无法写入日志 %1：%2</translation>
    </message>
    <message>
        <source>LogWriteFailed</source>
        <translation>并非每一行都能写入</translation>
    </message>
    <message>
        <source>LogPathOtherUser</source>
        <translation>日志 %1 是其他用户的文件，卸载程序绝不写入其中。请选择一个新文件，或您自己以前的日志。</translation>
    </message>
    <message>
        <source>LogNoneWritten</source>
        <translation>无法在该处创建日志；卸载将在没有日志的情况下继续</translation>
    </message>
    <message>
        <source>LogTemporaryFolder</source>
        <translation>临时文件夹中</translation>
    </message>
    <message>
        <source>NoDisplayToAsk</source>
        <translation>没有可用于询问的显示器，因此未删除任何内容。要在不提问的情况下卸载，请使用 /S 运行卸载程序。</translation>
    </message>
</context>
<context>
    <name>appinstaller::InstallingPage</name>
    <message>
        <source>ConfirmUninstallOemAjtmnj</source>
        <translation>确定要取消卸载吗？</translation>
    </message>
    <message>
        <source>Current step</source>
        <translation>当前步骤</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>进度</translation>
    </message>
</context>
<context>
    <name>appinstaller::CustomTitleWidget</name>
    <message>
        <source>Ferrovane</source>
        <translation>Ferrovane</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
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
    <name>appinstaller::UnInstallCompletedPage</name>
    <message>
        <source>Result</source>
        <translation>卸载结果</translation>
    </message>
    <message>
        <source>Items not removed</source>
        <translation>未能删除的项目</translation>
    </message>
    <message>
        <source>Some items could not be removed: %1.</source>
        <translation>部分项目未能删除：%1。</translation>
    </message>
    <message>
        <source>Some items will be removed when Windows restarts: %1.</source>
        <translation>部分项目将在 Windows 重新启动后删除：%1。</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between the paths of a list</comment>
        <translation>、</translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1，另有 %2 项</translation>
    </message>
    <message>
        <source>Trial run: nothing was removed</source>
        <translation>试运行：未删除任何内容</translation>
    </message>
    <message>
        <source>Uninstall incomplete</source>
        <translation>卸载未完成</translation>
    </message>
    <message>
        <source>Left because you or Windows need the folder: %1.</source>
        <translation>此文件夹为您或 Windows 所需，已保留：%1。</translation>
    </message>
    <message>
        <source>Nothing was removed from %1: it is not the product's own folder, and no list of installed files tells the product's files from yours. Remove them by hand.</source>
        <translation>未删除 %1 中的任何内容：它不是本产品专用的文件夹，也没有安装文件清单可区分本产品的文件和您的文件。请手动删除本产品的文件。</translation>
    </message>
    <message>
        <source>Nothing was removed from %1: the product's program is not at its top, and no list of installed files says what in it is the product's.</source>
        <translation>未删除 %1 中的任何内容：其顶层没有本产品的程序，也没有安装文件清单说明其中哪些属于本产品。</translation>
    </message>
    <message>
        <source>The product's uninstall entry names no folder: its files were not found.</source>
        <translation>本产品的卸载信息未指明文件夹，未找到其文件。</translation>
    </message>
    <message>
        <source>The product's files were not found where its uninstall entry says: %1.</source>
        <translation>未在卸载信息所指的位置找到本产品的文件：%1。</translation>
    </message>
    <message>
        <source>Left because it is shared with another program: %1.</source>
        <translation>此文件夹与其他程序共用，已保留：%1。</translation>
    </message>
    <message>
        <source>Left because %1 is installed in it too: %2. Uninstall %1 first, then run this uninstaller again.</source>
        <translation>此文件夹中还安装着%1，已保留：%2。请先卸载%1，再重新运行本卸载程序。</translation>
    </message>
    <message>
        <source>Left because %1 is installed in it too: %2.</source>
        <translation>此文件夹中还安装着%1，已保留：%2。</translation>
    </message>
    <message>
        <source>An old entry of this program keeps %1. Delete its registry key and run this uninstaller again: %2.</source>
        <translation>因本程序的一个旧卸载项，%1 已保留。请删除该卸载项的注册表项，再重新运行本卸载程序：%2。</translation>
    </message>
    <message>
        <source>An old entry of this program keeps %1. Delete its registry key by hand: %2.</source>
        <translation>因本程序的一个旧卸载项，%1 已保留。请手动删除该卸载项的注册表项：%2。</translation>
    </message>
    <message>
        <source>Left because another disk is attached there: %1.</source>
        <translation>此处挂载了其他磁盘，已保留：%1。</translation>
    </message>
    <message>
        <source>Only the shortcuts were removed from %1: it holds other files.</source>
        <translation>%1 中还有其他文件，仅删除了其中的快捷方式。</translation>
    </message>
    <message>
        <source>Left because other programs share it: %1.</source>
        <translation>此文件夹由其他程序共用，已保留：%1。</translation>
    </message>
    <message>
        <source>The product stays listed as installed, so that running the uninstaller again can finish.</source>
        <translation>本产品仍显示为已安装，再次运行卸载程序即可完成卸载。</translation>
    </message>
    <message>
        <source>The product stays listed as installed. Running the uninstaller again changes nothing until what is named here is dealt with.</source>
        <translation>本产品仍显示为已安装。在处理好此处列出的问题之前，再次运行卸载程序不会有任何改变。</translation>
    </message>
    <message>
        <source>The product&apos;s program was found in %1, not where its uninstall entry says.</source>
        <translation>在 %1 中找到了本产品的程序，而不是在其卸载项记录的位置。</translation>
    </message>
    <message numerus="yes">
        <source>Kept %n file(s) %1 did not install, in %2: %3.</source>
        <translation>
            <numerusform>已保留 %n 个并非%1安装的文件，位于 %2：%3。</numerusform>
        </translation>
    </message>
    <message>
        <source>Lines of %1 that cannot be used: %2.</source>
        <translation>%1 中无法使用的行：%2。</translation>
    </message>
    <message>
        <source>Nothing was removed: the list of installed files cannot be used: %1.</source>
        <translation>未删除任何内容：安装文件清单无法使用：%1。</translation>
    </message>
    <message>
        <source>Nothing was removed: the list of installed files names another product: %1.</source>
        <translation>未删除任何内容：安装文件清单属于其他产品：%1。</translation>
    </message>
    <message>
        <source>Nothing was removed: the product's files were not found where the list of installed files says: %1.</source>
        <translation>未删除任何内容：未在安装文件清单所说的位置找到产品的文件：%1。</translation>
    </message>
    <message>
        <source>Still there after the removal, though they are the product's: %1.</source>
        <translation>以下属于产品的项目在删除后仍然存在：%1。</translation>
    </message>
    <message>
        <source>%1 (process %2)</source>
        <comment>a program holding a file open</comment>
        <translation>%1（进程 %2）</translation>
    </message>
    <message>
        <source>%1 is open in %2.</source>
        <translation>%1 正被 %2 占用。</translation>
    </message>
    <message>
        <source>%1 is open in another program.</source>
        <translation>%1 正被其他程序占用。</translation>
    </message>
    <message>
        <source>Details</source>
        <comment>opens the list of what stayed</comment>
        <translation>详情</translation>
    </message>
    <message numerus="yes">
        <source>%n more item(s) stayed.</source>
        <translation>
            <numerusform>另有 %n 项未删除。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n item(s) could not be removed.</source>
        <translation>
            <numerusform>%n 项未能删除。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n item(s) will be removed when Windows restarts.</source>
        <translation>
            <numerusform>%n 项将在 Windows 重启时删除。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n item(s) kept.</source>
        <translation>
            <numerusform>已保留 %n 项。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n item(s)</source>
        <translation>
            <numerusform>%n 项</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Would remove %n item(s) (%1).</source>
        <translation>
            <numerusform>将删除 %n 项（%1）。</numerusform>
        </translation>
    </message>
    <message>
        <source>Nothing would be removed from the install folder.</source>
        <translation>不会从安装文件夹删除任何内容。</translation>
    </message>
    <message>
        <source>Log: %1.</source>
        <comment>where the trial run's log is</comment>
        <translation>日志：%1。</translation>
    </message>
    <message numerus="yes">
        <source>%n item(s) would stay.</source>
        <translation>
            <numerusform>将保留 %n 项。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n more item(s) would stay.</source>
        <translation>
            <numerusform>另有 %n 项将保留。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Would keep %n file(s) %1 did not install, in %2: %3.</source>
        <translation>
            <numerusform>将保留 %n 个并非%1安装的文件，位于 %2：%3。</numerusform>
        </translation>
    </message>
    <message>
        <source>Would stay because %1 is installed in it too: %2.</source>
        <translation>将保留，因为 %1 也安装在其中：%2。</translation>
    </message>
    <message>
        <source>Some items would be removed only when Windows restarts: %1.</source>
        <translation>部分项目将在 Windows 重新启动后才会删除：%1。</translation>
    </message>
    <message>
        <source>Would stay because you or Windows need the folder: %1.</source>
        <translation>将保留，因为您或 Windows 需要该文件夹：%1。</translation>
    </message>
    <message>
        <source>Nothing would be removed from %1: the product's program is not at its top, and no list of installed files says what in it is the product's.</source>
        <translation>不会从 %1 删除任何内容：其顶层没有本产品的程序，也没有安装文件列表说明其中哪些属于本产品。</translation>
    </message>
    <message>
        <source>Would stay because it is shared with another program: %1.</source>
        <translation>将保留，因为它与其他程序共用：%1。</translation>
    </message>
    <message>
        <source>Would stay because another disk is attached there: %1.</source>
        <translation>将保留，因为该处挂接了另一个磁盘：%1。</translation>
    </message>
    <message>
        <source>Only the shortcuts would be removed from %1: it holds other files.</source>
        <translation>只会从 %1 删除快捷方式：其中还有其他文件。</translation>
    </message>
    <message>
        <source>Would stay because other programs share it: %1.</source>
        <translation>将保留，因为其他程序共用它：%1。</translation>
    </message>
    <message>
        <source>The product would stay listed as installed.</source>
        <translation>本产品将仍显示为已安装。</translation>
    </message>
    <message>
        <source>Nothing would be removed: the list of installed files cannot be used: %1.</source>
        <translation>不会删除任何内容：安装文件列表无法使用：%1。</translation>
    </message>
    <message>
        <source>Nothing would be removed: the list of installed files names another product: %1.</source>
        <translation>不会删除任何内容：安装文件列表属于另一个产品：%1。</translation>
    </message>
    <message>
        <source>Would stay, as the system would refuse to remove it: %1.</source>
        <translation>将保留，因为系统会拒绝删除：%1。</translation>
    </message>
    <message>
        <source>What a real uninstall would leave, and why:</source>
        <translation>实际卸载时将保留的项目及原因：</translation>
    </message>
    <message>
        <source>Your files, which %1 did not install, were kept:</source>
        <translation>以下并非%1安装的您的文件已保留：</translation>
    </message>
    <message>
        <source>These items will be removed when Windows restarts:</source>
        <translation>以下项目将在 Windows 重新启动后删除：</translation>
    </message>
    <message>
        <source>What stayed, and why:</source>
        <translation>保留的项目及原因：</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Nothing would be removed from %1: it is not the product's own folder, and no list of installed files tells the product's files from yours.</source>
        <translation>不会从 %1 删除任何内容：它不是本产品专用的文件夹，且没有安装文件列表可区分本产品的文件与您的文件。</translation>
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
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>全选</translation>
    </message>
</context>
<context>
    <name>LeftoverDetailsUI</name>
    <message>
        <source>Items not removed</source>
        <translation>未删除的项目</translation>
    </message>
    <message>
        <source>These items of the product are still there:</source>
        <translation>本产品的以下项目仍然存在：</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
</TS>
