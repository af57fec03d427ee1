#!/usr/bin/env python3
"""Writes the localised strings files from the one table below.

    python3 strings/make_strings.py

Output, next to this script: strings.def.xml (English, used when the device's
language has no file of its own), strings.en.xml, strings.de.xml, strings.nl.xml.
Each file is UTF-16LE with a byte-order mark, one entry per line:
    <i n="KEY">text</i>
The programs find an entry by a plain search for its opening tag and take the
text literally up to "</i>", so texts carry no entities: "&", "<" and ">" are
refused here (page texts are drawn with DrawText, which would also swallow "&").
A leading or trailing blank is part of the text (String45VT starts with one).

Where each key is shown is listed in KEYS.md, which this script also writes.
"""

import os

HERE = os.path.dirname(os.path.abspath(__file__))

LANGUAGES = ("en", "de", "nl")

# key: (English, German, Dutch)
TEXTS = {
    # main menu (page 0 rows)
    "String17VT": ("Task Manager", "Task-Manager", "Taakbeheer"),
    "String18VT": ("Memory", "Arbeitsspeicher", "Geheugen"),
    "String19VT": ("Display", "Anzeige", "Beeldscherm"),
    "String20VT": ("Storage and Browser", "Datenspeicher und Browser", "Opslag en browser"),
    "String21VT": ("Tools and Power", "Extras und Energie", "Extra's en energie"),
    "String22VT": ("Benchmark", "Benchmark", "Benchmark"),
    "String23VT": ("Restore Original Settings", "Originaleinstellungen", "Oorspronkelijke instellingen"),
    # storage page rows
    "String24VT": ("File system cache", "Dateisystem-Cache", "Bestandssysteemcache"),
    "String25VT": ("Replication store cache", "Replikationsspeicher-Cache", "Replicatiecache"),
    "String26VT": ("Browser cache limit (8 MB)", "Browser-Cache-Limit (8 MB)", "Browsercache-limiet (8 MB)"),
    "String27VT": ("Clear browser cache, history and cookies now",
                   "Browser-Cache, Verlauf und Cookies jetzt löschen",
                   "Browsercache, geschiedenis en cookies nu wissen"),
    "String28VT": ("Browser temporary files on storage card",
                   "Temporäre Browserdateien auf Speicherkarte",
                   "Tijdelijke browserbestanden op geheugenkaart"),
    "String29VT": ("Keep CAB files after setup", "CAB-Dateien behalten", "CAB-bestanden bewaren"),
    "String30VT": ("Most changes need a soft reset", "Wirkt meist erst nach Neustart",
                   "Werkt pas na een herstart"),
    # tools page rows
    "String31VT": ("Close button on taskbar", "Schließtaste in Taskleiste", "Sluitknop op de taakbalk"),
    "String32VT": ("Battery bar on taskbar", "Akkuanzeige in Taskleiste", "Batterijbalk op de taakbalk"),
    "String33VT": ("Network driver power saving", "Energiesparen für Netzwerk", "Energiebeheer netwerk"),
    # benchmark page rows
    "String34VT": ("Run Benchmark", "Benchmark starten", "Benchmark starten"),
    "String35VT": ("View Last Result", "Letztes Ergebnis anzeigen", "Laatste resultaat bekijken"),
    "String36VT": ("Compare with Other Devices", "Mit anderen Geräten vergleichen",
                   "Vergelijk met andere toestellen"),
    # message boxes
    "String37VT": ("No storage card was found.", "Es wurde keine Speicherkarte gefunden.",
                   "Er is geen geheugenkaart gevonden."),
    "String38VT": ("Restore all settings to the values this device had before the first start? "
                   "The task list will be cleared.",
                   "Alle Einstellungen auf die Werte vor dem ersten Start zurücksetzen? "
                   "Die Taskliste wird geleert.",
                   "Alle instellingen terugzetten naar de waarden van vóór de eerste start? "
                   "De takenlijst wordt gewist."),
    "String39VT": ("This is a system process and cannot be closed.",
                   "Dies ist ein Systemprozess und kann nicht beendet werden.",
                   "Dit is een systeemproces en kan niet worden gesloten."),
    "String40VT": ("Add Shortcut or Program", "Verknüpfung oder Programm hinzufügen",
                   "Snelkoppeling of programma toevoegen"),
    "String41VT": ("This shortcut does not point to a program (.exe).",
                   "Diese Verknüpfung zeigt auf kein Programm (.exe).",
                   "Deze snelkoppeling verwijst niet naar een programma (.exe)."),
    "String42VT": ("This program is already in the list.", "Dieses Programm ist bereits in der Liste.",
                   "Dit programma staat al in de lijst."),
    "String43VT": ("Close all running applications to free memory?",
                   "Alle laufenden Programme schließen, um Speicher freizugeben?",
                   "Alle geopende programma's sluiten om geheugen vrij te maken?"),
    "String44VT": ("Memory freed:", "Freigegebener Speicher:", "Vrijgemaakt geheugen:"),
    "String45VT": (" MB", " MB", " MB"),
    # task page buttons
    "String46VT": ("Monitor", "Monitor", "Monitor"),
    "String47VT": ("Add", "Hinzufügen", "Toevoegen"),
    "String48VT": ("Refresh", "Neu laden", "Bijwerken"),
    # memory page
    "String49VT": ("Clean Up", "Aufräumen", "Opruimen"),
    "String50VT": ("Clean Up closes all open applications and frees their memory. Memory in use:",
                   "Aufräumen schließt alle offenen Programme und gibt ihren Speicher frei. Belegt:",
                   "Opruimen sluit alle geopende programma's en maakt hun geheugen vrij. In gebruik:"),
    # display page
    "String51VT": ("Faster screen drawing", "Schnellere Bildschirmausgabe", "Snellere schermweergave"),
    "String52VT": ("Small", "Klein", "Klein"),
    "String53VT": ("Large", "Groß", "Groot"),
    "String54VT": ("Font cache: larger is faster but uses more memory.",
                   "Schriftcache: größer ist schneller, braucht mehr Speicher.",
                   "Lettercache: groter is sneller, maar kost meer geheugen."),
    "String55VT": ("Turn off window animation: windows open faster",
                   "Fensteranimation aus: Fenster öffnen schneller",
                   "Vensteranimatie uit: vensters openen sneller"),
    # questions
    "String56VT": ("Delete all browser cache files, history and cookies?",
                   "Alle Cache-Dateien, den Verlauf und die Cookies des Browsers löschen?",
                   "Alle cachebestanden, de geschiedenis en de cookies van de browser wissen?"),
    "String57VT": ("Some changes take effect only after a soft reset. Reset the device now?",
                   "Einige Änderungen wirken erst nach einem Neustart. Gerät jetzt neu starten?",
                   "Sommige wijzigingen werken pas na een herstart. Toestel nu opnieuw starten?"),
    "String58VT": ("%s is not responding. End it now?", "%s reagiert nicht. Jetzt beenden?",
                   "%s reageert niet. Nu beëindigen?"),
    "String59VT": ("Still open:", "Noch geöffnet:", "Nog geopend:"),

    # benchmark
    "String1BenchMark": ("View Result", "Ergebnis", "Resultaat"),
    "String2BenchMark": ("Compare", "Vergleichen", "Vergelijken"),
    "String3BenchMark": ("Running the tests, please wait...", "Tests laufen, bitte warten...",
                         "Tests worden uitgevoerd, even geduld..."),
    "String4BenchMark": ("Time", "Zeit", "Tijd"),
    "String5BenchMark": ("Completed", "Fertig", "Klaar"),
    "String6BenchMark": ("Tap View Result or Compare.", "Weiter mit Ergebnis oder Vergleichen.",
                         "Kies Resultaat of Vergelijken."),
    "String7BenchMark": ("No saved result yet. Run the benchmark first.",
                         "Noch kein gespeichertes Ergebnis. Bitte zuerst den Benchmark ausführen.",
                         "Nog geen opgeslagen resultaat. Voer eerst de benchmark uit."),
    "String8BenchMark": ("No saved result to compare. Run the benchmark first.",
                         "Kein gespeichertes Ergebnis zum Vergleichen. Bitte zuerst den Benchmark ausführen.",
                         "Geen opgeslagen resultaat om te vergelijken. Voer eerst de benchmark uit."),
    "String9BenchMark": ("«", "«", "«"),
    "String10BenchMark": ("»", "»", "»"),
    "String11BenchMark": ("Snap", "Foto", "Foto"),
    "String12BenchMark": ("Snapshot saved", "Bildschirmfoto gespeichert", "Schermafdruk opgeslagen"),
    "String13BenchMark": ("Snap", "Foto", "Foto"),

    # close button program menus
    "String1Quitlet": ("Button mode", "Tastenmodus", "Knopmodus"),
    "String2Quitlet": ("Minimize", "Minimieren", "Minimaliseren"),
    "String3Quitlet": ("Show menu", "Menü zeigen", "Menu tonen"),
    "String4Quitlet": ("Close app", "Programm schließen", "Programma sluiten"),
    "String5Quitlet": ("Close all apps", "Alle schließen", "Alles sluiten"),
    "String6Quitlet": ("Close all but this", "Alle außer diesem schließen", "Alles behalve dit sluiten"),
    "String7Quitlet": ("Today", "Heute", "Vandaag"),
    "String8Quitlet": ("Switch to", "Wechseln zu", "Overschakelen naar"),
    "String9Quitlet": ("Close", "Schließen", "Sluiten"),
    "String10Quitlet": ("System", "System", "Systeem"),
    "String11Quitlet": ("Soft reset", "Neustart", "Herstarten"),
    "String12Quitlet": ("Power off", "Ausschalten", "Uitschakelen"),
    "String13Quitlet": ("Device info", "Geräteinfo", "Apparaatinfo"),
    "String14Quitlet": ("Settings", "Einstellungen", "Instellingen"),
    "String15Quitlet": ("File Explorer", "Datei-Explorer", "Verkenner"),
    "String16Quitlet": ("%s is not responding. End it now?", "%s reagiert nicht. Jetzt beenden?",
                        "%s reageert niet. Nu beëindigen?"),
}

# Where each text is shown (written into KEYS.md for the program developers).
WHERE = {
    "String17VT": "main menu row 1: opens the task manager page",
    "String18VT": "main menu row 2: opens the memory page",
    "String19VT": "main menu row 3: opens the display page",
    "String20VT": "main menu row 4: opens the storage and browser page",
    "String21VT": "main menu row 5: opens the tools page (close button, battery bar, network power)",
    "String22VT": "main menu row 6: opens the benchmark page",
    "String23VT": "main menu row 7: asks String38VT, then restores the saved system values",
    "String24VT": "storage page row 1 label (toggle: file system cache)",
    "String25VT": "storage page row 2 label (toggle: replication store cache)",
    "String26VT": "storage page row 3 label (toggle: browser cache limit 8192 KB)",
    "String27VT": "storage page row 4 label, word-wrapped, no toggle (asks String56VT, clears browser files)",
    "String28VT": "storage page row 5 label, word-wrapped (toggle: browser temporary files on a card)",
    "String29VT": "storage page row 6 label (toggle: cab installer keeps the cab file)",
    "String30VT": "storage page row 7, no toggle, does nothing: a note that changes need a reset",
    "String31VT": "tools page row 1 label (toggle: close button program on the taskbar)",
    "String32VT": "tools page row 2 label (toggle: battery bar program on the taskbar)",
    "String33VT": "tools page row 3 label (toggle: power management of the network drivers allowed)",
    "String34VT": "benchmark page row 1: starts the benchmark with -run",
    "String35VT": "benchmark page row 2: starts the benchmark with -view",
    "String36VT": "benchmark page row 3: starts the benchmark with -compare",
    "String37VT": "message box: no storage card found when moving browser temporary files",
    "String38VT": "message box question (Yes/No) before restoring the original settings",
    "String39VT": "message box: a system process cannot be closed from the task page",
    "String40VT": "no fixed use; meant as the title of the add-a-program browser window",
    "String41VT": "message box: the chosen shortcut does not lead to an .exe program",
    "String42VT": "message box: the chosen program is already in the task list",
    "String43VT": "message box question (Yes/No) before closing all applications",
    "String44VT": "memory report message box: text before the freed amount",
    "String45VT": "memory report message box: text right after the amount (starts with a blank)",
    "String46VT": "task page button 1 (monitor on/off; drawn green while it runs, red otherwise)",
    "String47VT": "task page button 2 (add a program with the browser)",
    "String48VT": "task page button 3 (refresh the task list)",
    "String49VT": "memory page button (close all applications)",
    "String50VT": "memory page description above the memory figure, word-wrapped, up to 4 lines",
    "String51VT": "display page heading, one line",
    "String52VT": "display page, glyph cache line: label left of the slider (40 px at 240 wide)",
    "String53VT": "display page, glyph cache line: label right of the slider (40 px at 240 wide)",
    "String54VT": "display page explanation under the glyph cache slider, two lines",
    "String55VT": "display page text beside the animation toggle, two lines",
    "String56VT": "message box question (Yes/No) before clearing browser files",
    "String57VT": "message box question (Yes/No) at exit after a change: soft reset now?",
    "String58VT": "message box question (Yes/No) when a program closed from the task page has not answered for"
                  " 5 s (%s: its window title): Yes ends it",
    "String59VT": "memory report message box: on a line of its own after the amount, before the programs that did not close",
    "String1BenchMark": "run page button 1: go to the view page",
    "String2BenchMark": "run page button 2: go to the compare page",
    "String3BenchMark": "run page list, first line (used as a format: no percent signs)",
    "String4BenchMark": "run page list: label of every time line (\"%s: %d ms\")",
    "String5BenchMark": "run page list: word between the asterisk lines at the end of a run",
    "String6BenchMark": "run page list: hint line after the run",
    "String7BenchMark": "message box when the view page finds no saved result (program then ends)",
    "String8BenchMark": "message box when the compare page finds no saved result (program then ends)",
    "String9BenchMark": "compare page button, 40 px wide: previous device",
    "String10BenchMark": "compare page button, 40 px wide: next device",
    "String11BenchMark": "compare page button, 40 px wide: save a screen snapshot",
    "String12BenchMark": "caption of the message box that names the saved snapshot file",
    "String13BenchMark": "view page button, 40 px wide: save a screen snapshot",
    "String1Quitlet": "main menu: the mode submenu",
    "String2Quitlet": "mode submenu item 1 (tap minimises) and main menu item: minimise now",
    "String3Quitlet": "no fixed use; meant for mode submenu item 3 (tap opens this menu)",
    "String4Quitlet": "mode submenu item 2 (tap closes) and main menu item: close the foreground app",
    "String5Quitlet": "main menu item: close all apps (also named as mode submenu item 3)",
    "String6Quitlet": "main menu item: close all apps except the foreground one",
    "String7Quitlet": "no fixed use; meant for the first switch-to entry (the Today screen)",
    "String8Quitlet": "main menu: the switch-to submenu",
    "String9Quitlet": "main menu: the close submenu",
    "String10Quitlet": "main menu: the system submenu",
    "String11Quitlet": "system submenu: soft reset",
    "String12Quitlet": "system submenu: power off",
    "String13Quitlet": "system submenu: control panel applet cplmain.cpl,4,2",
    "String14Quitlet": "system submenu: control panel applet cplmain.cpl,10",
    "String15Quitlet": "system submenu: file explorer",
    "String16Quitlet": "message box question (Yes/No) when a program asked to close has not answered for 5 s"
                       " (%s: its window title): Yes ends it",
}

# Every number of every program's range is present, used or not, so that a
# lookup never comes back empty.
RANGES = (("VT", 17, 59), ("BenchMark", 1, 13), ("Quitlet", 1, 16))


def keys_in_order():
    return ["String%d%s" % (n, tag) for tag, first, last in RANGES for n in range(first, last + 1)]


def check():
    wanted = keys_in_order()
    missing = [k for k in wanted if k not in TEXTS]
    extra = [k for k in TEXTS if k not in wanted]
    if missing or extra:
        raise SystemExit("missing %s, unknown %s" % (missing, extra))
    for key, texts in TEXTS.items():
        if len(texts) != len(LANGUAGES):
            raise SystemExit("%s: %d texts" % (key, len(texts)))
        for text in texts:
            if not text or len(text) > 255 or any(c in text for c in "&<>\r\n"):
                raise SystemExit("%s: unusable text %r" % (key, text))
        if key not in WHERE:
            raise SystemExit("%s: no place given" % key)


def write(file_name, language, column):
    lines = ['<?xml version="1.0" encoding="UTF-16"?>', '<strings lang="%s">' % language]
    for key in keys_in_order():
        lines.append('<i n="%s">%s</i>' % (key, TEXTS[key][column]))
    lines.append("</strings>")
    data = "\ufeff" + "\r\n".join(lines) + "\r\n"
    with open(os.path.join(HERE, file_name), "wb") as f:
        f.write(data.encode("utf-16-le"))


def write_key_list():
    out = ["# Text keys", "",
           "Generated by make_strings.py; edit the tables there. English text shown.", "",
           "| Key | Where it is shown | English |", "|---|---|---|"]
    for key in keys_in_order():
        out.append("| %s | %s | %s |" % (key, WHERE[key].replace("|", "/"), TEXTS[key][0]))
    with open(os.path.join(HERE, "KEYS.md"), "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


def main():
    check()
    write_key_list()
    write("strings.def.xml", "en", 0)
    for column, language in enumerate(LANGUAGES):
        write("strings.%s.xml" % language, language, column)


if __name__ == "__main__":
    main()
