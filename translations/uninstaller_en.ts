<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>QObject</name>
    <message>
        <source>TheClientIsRunningPrnptTrdtT</source>
        <translation>Ferrovane is running. Close it, then try again.</translation>
    </message>
    <message>
        <source>DetermineTheUninstalfYANYiIa</source>
        <translation>Do you want to uninstall Ferrovane and remove all of its files?</translation>
    </message>
    <message>
        <source>ConfigurationFault</source>
        <translation>The uninstaller cannot run: its configuration file %1 %2. Nothing was removed. Reinstall the product, or ask its vendor for a working uninstaller.</translation>
    </message>
    <message>
        <source>ConfigFaultMissing</source>
        <translation>is missing</translation>
    </message>
    <message>
        <source>ConfigFaultUnreadable</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <source>ConfigFaultNotXml</source>
        <translation>is not an XML file</translation>
    </message>
    <message>
        <source>ConfigFaultNoGuid</source>
        <translation>names no product GUID directly under its root element</translation>
    </message>
    <message>
        <source>ConfigFaultBadGuid</source>
        <translation>holds a product GUID that is not written as {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}</translation>
    </message>
    <message>
        <source>ConfigFaultTwoGuids</source>
        <translation>names more than one product GUID</translation>
    </message>
    <message>
        <source>ConfigFaultNoClient</source>
        <translation>names no client program (ProgramName)</translation>
    </message>
    <message>
        <source>InstalledByWindowsInstaller</source>
        <translation>Ferrovane was installed by Windows Installer, which keeps its own record of its files. Remove it with msiexec /x %1 or in Apps &amp; features.</translation>
    </message>
    <message>
        <source>ThisSoftwareIsNotCurmXqDCfI</source>
        <translation>Ferrovane is not installed on this computer.</translation>
    </message>
    <message>
        <source>BeganToUnloadWkJrSaJaAq</source>
        <translation>Removing program files…</translation>
    </message>
    <message>
        <source>DeleteShortcutULXVgdVTs</source>
        <translation>Removing shortcuts…</translation>
    </message>
    <message>
        <source>ClearTheRegistryeuyqTkYHjj</source>
        <translation>Cleaning up the registry…</translation>
    </message>
    <message>
        <source>Uninstalled</source>
        <translation>Uninstall complete</translation>
    </message>
    <message>
        <source>CommandLineUnknownArgument</source>
        <translation>Unknown argument: %1. Run the uninstaller with /? for its switches.</translation>
    </message>
    <message>
        <source>CommandLineLogWithoutFile</source>
        <translation>/LOG needs a file name: /LOG=file or /LOG file.</translation>
    </message>
    <message>
        <source>CommandLineLogTwice</source>
        <translation>/LOG is given more than once.</translation>
    </message>
    <message>
        <source>CommandLineUsageTitle</source>
        <translation>Ferrovane Uninstaller</translation>
    </message>
    <message>
        <source>CommandLineUsage</source>
        <translation>Usage: uninstaller [/S | /quiet | /qn | /VERYSILENT | /SILENT | /passive | /qb] [/WHATIF] [/LOG=file] [/LOGFORMAT=json] [/RESTARTEXITCODE=N] [/?]

Without switches the uninstaller asks before it removes anything and shows its progress.

/S, /quiet, /VERYSILENT, /q, /qn, /qn+  Uninstall without any question, window or message box.
/SILENT, /passive, /qb, /qr (and /qb-, /qb+, /qb!)  Uninstall without any question or message box; the window shows the progress and closes itself at the end. Without a display: as /S.
/LOG=file, /LOG file     Append a record of every decision to file (UTF-8). Without a file, and without /LOG, every run writes one to the temporary folder and prints its path as "log: PATH" on standard error.
/LOGFORMAT=json          The log as JSON, one object a line (/LOGFORMAT=text: the default).
/WHATIF                  A trial run: decide and log what would be removed and what would stay, and remove or change nothing. The exit status is the one a real run would give.
/RESTARTEXITCODE=N       Exit with N instead of 3010 when something goes at the next restart.
/NORESTART, /SUPPRESSMSGBOXES, /NORESTARTAPPLICATIONS, /NOCANCEL, /qf, _?=folder  Accepted; the uninstaller never restarts the computer or a program, a run without questions shows no message box, the removal cannot be cancelled once begun, and the folder removed is the one the uninstall entry records.
/?, /help, -h, --help    Show this text.

Switches may start with / or - and are read ignoring case. An unknown switch is refused: with /S, /SILENT or the like on standard error, never in a window that waits.

Exit status of a run with /S or /SILENT: 0 done (also when the uninstaller&apos;s own files, run from inside the folder, wait for the next restart); 3010 done, files of the product that another program holds go at the next restart; 1603 incomplete, something stays (or the product is Windows Installer&apos;s: msiexec /x); 1605 not installed; 1610 AppConfig.xml cannot be used; 1618 Ferrovane is running, try again later; 1622 the log given cannot be written; 1639 bad arguments.</translation>
    </message>
    <message>
        <source>LogPathIsLink</source>
        <translation>The log %1 is a link; the uninstaller writes no log through a link.</translation>
    </message>
    <message>
        <source>LogPathThroughLink</source>
        <translation>The log %1 lies past the link %2; the uninstaller writes no log through a link.</translation>
    </message>
    <message>
        <source>LogPathNotALog</source>
        <translation>The file %1 is not a log of this uninstaller: it does not begin with the first line the uninstaller writes. Nothing is added to another program's file; choose a new file or an earlier log of the uninstaller.</translation>
    </message>
    <message>
        <source>LogPathNotAFile</source>
        <translation>The log %1 is not a file.</translation>
    </message>
    <message>
        <source>LogPathInsideInstallFolder</source>
        <translation>The log %1 lies inside the install folder %2, which the uninstaller removes. Choose a log outside it.</translation>
    </message>
    <message>
        <source>LogPathNotWritable</source>
        <translation>The log %1 cannot be written: %2</translation>
    </message>
    <message>
        <source>LogWriteFailed</source>
        <translation>not every line could be written</translation>
    </message>
    <message>
        <source>LogPathOtherUser</source>
        <translation>The log %1 is a file of another user&apos;s; the uninstaller never writes into it. Choose a new file, or an earlier log of your own.</translation>
    </message>
    <message>
        <source>LogNoneWritten</source>
        <translation>no log can be made there; the uninstall goes on without one</translation>
    </message>
    <message>
        <source>LogTemporaryFolder</source>
        <translation>in the temporary folder</translation>
    </message>
    <message>
        <source>NoDisplayToAsk</source>
        <translation>There is no display to ask on, so nothing was removed. For an uninstall without questions run the uninstaller with /S.</translation>
    </message>
</context>
<context>
    <name>appinstaller::InstallingPage</name>
    <message>
        <source>ConfirmUninstallOemAjtmnj</source>
        <translation>Do you want to stop the uninstall?</translation>
    </message>
    <message>
        <source>Current step</source>
        <translation>Current step</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Progress</translation>
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
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>InstallingUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>Ferrovane Uninstaller</translation>
    </message>
    <message>
        <source>UndoMerge</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>MainWindowUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>Ferrovane Uninstaller</translation>
    </message>
</context>
<context>
    <name>UpperWidgeUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>Ferrovane Uninstaller</translation>
    </message>
</context>
<context>
    <name>UnInstallCompletedUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>Ferrovane Uninstaller</translation>
    </message>
    <message>
        <source>Uninstalled</source>
        <translation>Uninstall complete</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>Finish</translation>
    </message>
</context>
<context>
    <name>appinstaller::UnInstallCompletedPage</name>
    <message>
        <source>Result</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>Items not removed</source>
        <translation>Items not removed</translation>
    </message>
    <message>
        <source>Some items could not be removed: %1.</source>
        <translation>Some items could not be removed: %1.</translation>
    </message>
    <message>
        <source>Some items will be removed when Windows restarts: %1.</source>
        <translation>Some items will be removed when Windows restarts: %1.</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between the paths of a list</comment>
        <translation>, </translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 and %2 more</translation>
    </message>
    <message>
        <source>Trial run: nothing was removed</source>
        <translation>Trial run: nothing was removed</translation>
    </message>
    <message>
        <source>Uninstall incomplete</source>
        <translation>Uninstall incomplete</translation>
    </message>
    <message>
        <source>Left because you or Windows need the folder: %1.</source>
        <translation>Left because you or Windows need the folder: %1.</translation>
    </message>
    <message>
        <source>Nothing was removed from %1: it is not the product's own folder, and no list of installed files tells the product's files from yours. Remove them by hand.</source>
        <translation>Nothing was removed from %1: it is not the product's own folder, and no list of installed files tells the product's files from yours. Remove them by hand.</translation>
    </message>
    <message>
        <source>Nothing was removed from %1: the product's program is not at its top, and no list of installed files says what in it is the product's.</source>
        <translation>Nothing was removed from %1: the product's program is not at its top, and no list of installed files says what in it is the product's.</translation>
    </message>
    <message>
        <source>The product's uninstall entry names no folder: its files were not found.</source>
        <translation>The product's uninstall entry names no folder: its files were not found.</translation>
    </message>
    <message>
        <source>The product's files were not found where its uninstall entry says: %1.</source>
        <translation>The product's files were not found where its uninstall entry says: %1.</translation>
    </message>
    <message>
        <source>Left because it is shared with another program: %1.</source>
        <translation>Left because it is shared with another program: %1.</translation>
    </message>
    <message>
        <source>Left because %1 is installed in it too: %2. Uninstall %1 first, then run this uninstaller again.</source>
        <translation>Left because %1 is installed in it too: %2. Uninstall %1 first, then run this uninstaller again.</translation>
    </message>
    <message>
        <source>Left because %1 is installed in it too: %2.</source>
        <translation>Left because %1 is installed in it too: %2.</translation>
    </message>
    <message>
        <source>An old entry of this program keeps %1. Delete its registry key and run this uninstaller again: %2.</source>
        <translation>An old entry of this program keeps %1. Delete its registry key and run this uninstaller again: %2.</translation>
    </message>
    <message>
        <source>An old entry of this program keeps %1. Delete its registry key by hand: %2.</source>
        <translation>An old entry of this program keeps %1. Delete its registry key by hand: %2.</translation>
    </message>
    <message>
        <source>Left because another disk is attached there: %1.</source>
        <translation>Left because another disk is attached there: %1.</translation>
    </message>
    <message>
        <source>Only the shortcuts were removed from %1: it holds other files.</source>
        <translation>Only the shortcuts were removed from %1: it holds other files.</translation>
    </message>
    <message>
        <source>Left because other programs share it: %1.</source>
        <translation>Left because other programs share it: %1.</translation>
    </message>
    <message>
        <source>The product stays listed as installed, so that running the uninstaller again can finish.</source>
        <translation>The product stays listed as installed, so that running the uninstaller again can finish.</translation>
    </message>
    <message>
        <source>The product stays listed as installed. Running the uninstaller again changes nothing until what is named here is dealt with.</source>
        <translation>The product stays listed as installed. Running the uninstaller again changes nothing until what is named here is dealt with.</translation>
    </message>
    <message>
        <source>The product's program was found in %1, not where its uninstall entry says.</source>
        <translation>The product's program was found in %1, not where its uninstall entry says.</translation>
    </message>
    <message numerus="yes">
        <source>Kept %n file(s) %1 did not install, in %2: %3.</source>
        <translation>
            <numerusform>Kept %n file %1 did not install, in %2: %3.</numerusform>
            <numerusform>Kept %n files %1 did not install, in %2: %3.</numerusform>
        </translation>
    </message>
    <message>
        <source>Lines of %1 that cannot be used: %2.</source>
        <translation>Lines of %1 that cannot be used: %2.</translation>
    </message>
    <message>
        <source>Nothing was removed: the list of installed files cannot be used: %1.</source>
        <translation>Nothing was removed: the list of installed files cannot be used: %1.</translation>
    </message>
    <message>
        <source>Nothing was removed: the list of installed files names another product: %1.</source>
        <translation>Nothing was removed: the list of installed files names another product: %1.</translation>
    </message>
    <message>
        <source>Nothing was removed: the product's files were not found where the list of installed files says: %1.</source>
        <translation>Nothing was removed: the product's files were not found where the list of installed files says: %1.</translation>
    </message>
    <message>
        <source>Still there after the removal, though they are the product's: %1.</source>
        <translation>Still there after the removal, though they are the product's: %1.</translation>
    </message>
    <message>
        <source>%1 (process %2)</source>
        <comment>a program holding a file open</comment>
        <translation>%1 (process %2)</translation>
    </message>
    <message>
        <source>%1 is open in %2.</source>
        <translation>%1 is open in %2.</translation>
    </message>
    <message>
        <source>%1 is open in another program.</source>
        <translation>%1 is open in another program.</translation>
    </message>
    <message>
        <source>Details</source>
        <comment>opens the list of what stayed</comment>
        <translation>Details</translation>
    </message>
    <message numerus="yes">
        <source>%n more item(s) stayed.</source>
        <translation>
            <numerusform>%n more item stayed.</numerusform>
            <numerusform>%n more items stayed.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n item(s) could not be removed.</source>
        <translation>
            <numerusform>%n item could not be removed.</numerusform>
            <numerusform>%n items could not be removed.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n item(s) will be removed when Windows restarts.</source>
        <translation>
            <numerusform>%n item will be removed when Windows restarts.</numerusform>
            <numerusform>%n items will be removed when Windows restarts.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n item(s) kept.</source>
        <translation>
            <numerusform>%n item kept.</numerusform>
            <numerusform>%n items kept.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n item(s)</source>
        <translation>
            <numerusform>%n item</numerusform>
            <numerusform>%n items</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Would remove %n item(s) (%1).</source>
        <translation>
            <numerusform>Would remove %n item (%1).</numerusform>
            <numerusform>Would remove %n items (%1).</numerusform>
        </translation>
    </message>
    <message>
        <source>Nothing would be removed from the install folder.</source>
        <translation>Nothing would be removed from the install folder.</translation>
    </message>
    <message>
        <source>Log: %1.</source>
        <comment>where the trial run's log is</comment>
        <translation>Log: %1.</translation>
    </message>
    <message numerus="yes">
        <source>%n item(s) would stay.</source>
        <translation>
            <numerusform>%n item would stay.</numerusform>
            <numerusform>%n items would stay.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n more item(s) would stay.</source>
        <translation>
            <numerusform>%n more item would stay.</numerusform>
            <numerusform>%n more items would stay.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Would keep %n file(s) %1 did not install, in %2: %3.</source>
        <translation>
            <numerusform>Would keep %n file %1 did not install, in %2: %3.</numerusform>
            <numerusform>Would keep %n files %1 did not install, in %2: %3.</numerusform>
        </translation>
    </message>
    <message>
        <source>Would stay because %1 is installed in it too: %2.</source>
        <translation>Would stay because %1 is installed in it too: %2.</translation>
    </message>
    <message>
        <source>Some items would be removed only when Windows restarts: %1.</source>
        <translation>Some items would be removed only when Windows restarts: %1.</translation>
    </message>
    <message>
        <source>Would stay because you or Windows need the folder: %1.</source>
        <translation>Would stay because you or Windows need the folder: %1.</translation>
    </message>
    <message>
        <source>Nothing would be removed from %1: the product's program is not at its top, and no list of installed files says what in it is the product's.</source>
        <translation>Nothing would be removed from %1: the product's program is not at its top, and no list of installed files says what in it is the product's.</translation>
    </message>
    <message>
        <source>Would stay because it is shared with another program: %1.</source>
        <translation>Would stay because it is shared with another program: %1.</translation>
    </message>
    <message>
        <source>Would stay because another disk is attached there: %1.</source>
        <translation>Would stay because another disk is attached there: %1.</translation>
    </message>
    <message>
        <source>Only the shortcuts would be removed from %1: it holds other files.</source>
        <translation>Only the shortcuts would be removed from %1: it holds other files.</translation>
    </message>
    <message>
        <source>Would stay because other programs share it: %1.</source>
        <translation>Would stay because other programs share it: %1.</translation>
    </message>
    <message>
        <source>The product would stay listed as installed.</source>
        <translation>The product would stay listed as installed.</translation>
    </message>
    <message>
        <source>Nothing would be removed: the list of installed files cannot be used: %1.</source>
        <translation>Nothing would be removed: the list of installed files cannot be used: %1.</translation>
    </message>
    <message>
        <source>Nothing would be removed: the list of installed files names another product: %1.</source>
        <translation>Nothing would be removed: the list of installed files names another product: %1.</translation>
    </message>
    <message>
        <source>Would stay, as the system would refuse to remove it: %1.</source>
        <translation>Would stay, as the system would refuse to remove it: %1.</translation>
    </message>
    <message>
        <source>What a real uninstall would leave, and why:</source>
        <translation>What a real uninstall would leave, and why:</translation>
    </message>
    <message>
        <source>Your files, which %1 did not install, were kept:</source>
        <translation>Your files, which %1 did not install, were kept:</translation>
    </message>
    <message>
        <source>These items will be removed when Windows restarts:</source>
        <translation>These items will be removed when Windows restarts:</translation>
    </message>
    <message>
        <source>What stayed, and why:</source>
        <translation>What stayed, and why:</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Nothing would be removed from %1: it is not the product's own folder, and no list of installed files tells the product's files from yours.</source>
        <translation>Nothing would be removed from %1: it is not the product's own folder, and no list of installed files tells the product's files from yours.</translation>
    </message>
</context>
<context>
    <name>Ulmora::CModalTipDialog</name>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Select All</translation>
    </message>
</context>
<context>
    <name>LeftoverDetailsUI</name>
    <message>
        <source>Items not removed</source>
        <translation>Items not removed</translation>
    </message>
    <message>
        <source>These items of the product are still there:</source>
        <translation>These items of the product are still there:</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
</TS>
