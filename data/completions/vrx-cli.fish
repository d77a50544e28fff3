# fish completion for vrx-cli: options, the values of --date-kind, --keep and
# --action, the units of --same-date=N, folders for sources, -x and --protect,
# files for -o.

function __vrx_cli_date_units
    set -l token (commandline -ct)
    set -l number (string match -r -- '^--same-date=([0-9]+)' $token)[2]
    if test -n "$number"
        for unit in s m h d w y
            echo --same-date=$number$unit
        end
    end
end

complete -c vrx-cli -f -a '(__fish_complete_directories)' -d Quelle
complete -c vrx-cli -s x -l exclude -x -a '(__fish_complete_directories)' -d 'Quelle ausschließen'
complete -c vrx-cli -s n -l name -x -d 'Name einschließen'
complete -c vrx-cli -l name-case -d 'a<>A bei Name einschließen'
complete -c vrx-cli -l name-all -d 'U bei Name einschließen'
complete -c vrx-cli -s N -l name-exclude -x -d 'Name ausschließen'
complete -c vrx-cli -l name-exclude-case -d 'a<>A bei Name ausschließen'
complete -c vrx-cli -l name-exclude-all -d 'U bei Name ausschließen'
complete -c vrx-cli -l from -x -d 'Beginn des Zeitraums (JJJJ-MM-TT)'
complete -c vrx-cli -l to -x -d 'Ende des Zeitraums (JJJJ-MM-TT)'
complete -c vrx-cli -l date-kind -x -a 'M\tModifikation Z\tZugriff E\tErstellung' -d 'Art des Datums'
complete -c vrx-cli -l attr -x -d 'Attribute einschließen (R H S A D)'
complete -c vrx-cli -l attr-exclude -x -d 'Attribute ausschließen (R H S A D)'
complete -c vrx-cli -s s -l size -x -d Größe
complete -c vrx-cli -s c -l content -x -d 'Inhalt einschließen'
complete -c vrx-cli -l content-case -d 'a<>A bei Inhalt einschließen'
complete -c vrx-cli -l content-all -d 'U bei Inhalt einschließen'
complete -c vrx-cli -s C -l content-exclude -x -d 'Inhalt ausschließen'
complete -c vrx-cli -l content-exclude-case -d 'a<>A bei Inhalt ausschließen'
complete -c vrx-cli -l content-exclude-all -d 'U bei Inhalt ausschließen'
complete -c vrx-cli -l same-location -d 'Quelle aktiv'
complete -c vrx-cli -l other-location -d 'Quelle Inv.'
complete -c vrx-cli -l location-ranges -d 'Quelle [ ]'
complete -c vrx-cli -l same-name -d 'Name aktiv (=N Zeichen Unterschied)'
complete -c vrx-cli -l name-exact -d 'genau N Zeichen Unterschied'
complete -c vrx-cli -l same-name-case -d 'Namen mit Groß- und Kleinschreibung'
complete -c vrx-cli -l same-date -d 'Datum aktiv (=N mit Einheit s m h d w y)'
complete -c vrx-cli -n 'string match -qr -- "^--same-date=[0-9]+" (commandline -ct)' -f -a '(__vrx_cli_date_units)'
complete -c vrx-cli -l date-exact -d 'genau N Unterschied im Datum'
complete -c vrx-cli -l same-attr -d 'Attribut aktiv (=N Attribute Unterschied)'
complete -c vrx-cli -l attr-exact -d 'genau N Attribute Unterschied'
complete -c vrx-cli -l same-size -d 'Größe aktiv (=N Byte oder N%)'
complete -c vrx-cli -l same-content -d 'Inhalt aktiv (=N Byte oder N%)'
complete -c vrx-cli -l content-exact -d 'genau N Unterschied im Inhalt'
complete -c vrx-cli -l same-content-case -d 'Inhalte mit Groß- und Kleinschreibung'
complete -c vrx-cli -l csv -d 'kommagetrennte Liste'
complete -c vrx-cli -l json -d 'JSON-Dokument'
complete -c vrx-cli -s 0 -l print0 -d 'Pfade durch NUL getrennt'
complete -c vrx-cli -s o -l output -r -F -d Ergebnisdatei
complete -c vrx-cli -l check -d 'nur die Plausibilitätsprüfung'
complete -c vrx-cli -l strict -d 'Warnungen brechen die Suche ab'
complete -c vrx-cli -s q -l quiet -d 'keine Fortschrittsanzeige'
complete -c vrx-cli -s h -l help -d Hilfe
complete -c vrx-cli -l version -d Version
complete -c vrx-cli -l keep -x -a 'oldest newest shortest-path longest-path first-source' -d 'welches Mitglied bleibt'
complete -c vrx-cli -l protect -x -a '(__fish_complete_directories)' -d Schutzordner
complete -c vrx-cli -l action -x -a 'trash move= hardlink reflink delete' -d Aktion
complete -c vrx-cli -l dry-run -d 'nur anzeigen, nichts verändern'
complete -c vrx-cli -l yes -d bestätigen

complete -c vrx -f -a '(__fish_complete_directories)' -d Ordner
