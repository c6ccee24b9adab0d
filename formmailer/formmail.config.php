<?php
// Settings of the VQ-Bestellformular form mailer. Put this file beside
// formmail.php and adjust it before the first use; the help page
// "formmailer.htm" explains every value.
//
// Einstellungen des Formmailers. Diese Datei liegt neben formmail.php und wird
// vor der ersten Benutzung angepasst.

return [
    // Empfänger, an die der Formmailer senden darf: ganze Adressen
    // ("bestellung@ihre-domain.example") oder ganze Domains ("@ihre-domain.example").
    // Jede andere Empfängeradresse wird abgelehnt, damit niemand das Skript
    // zum Versand von Spam missbrauchen kann. Leer: es wird nichts gesendet.
    'allowed_recipients' => [
        // 'bestellung@ihre-domain.example',
        // '@ihre-domain.example',
    ],

    // Absender der Mails (From:). Eine Adresse Ihrer eigenen Domain, damit
    // die Mails nicht als Fälschung abgewiesen werden. Die Adresse des
    // Kunden steht als Antwortadresse (Reply-To) in der Mail.
    'mail_from' => 'formmailer@ihre-domain.example',

    // Ordner für den Schlüssel des Captchas (captcha.key), die schon
    // benutzten Captcha-Codes und die Sperrliste. Er muss für PHP
    // beschreibbar sein und sollte außerhalb des Web-Verzeichnisses liegen.
    // Der Formmailer legt ihn nur für sich lesbar an und benutzt keinen
    // Ordner, der ein Link ist oder einem anderen Benutzer gehört.
    'storage_dir' => sys_get_temp_dir() . '/vq-formmailer-' . md5(__DIR__),

    // Wie lange ein Captcha-Code gilt (Sekunden, 60 bis 86400). Die Codes
    // selbst speichert der Formmailer nicht: Das Captcha-Bild gibt dem
    // Besucher ein mit dem Schlüssel unterschriebenes Cookie. So kann auch
    // eine Flut von Bildabrufen keinen Speicher füllen und niemanden
    // aussperren. Jeder Code gilt für genau eine Sendung.
    'captcha_lifetime' => 1800,

    // Höchstens so viele Formular-Sendungen je Absender-IP-Adresse im
    // angegebenen Zeitraum (Sekunden). 0 schaltet die Sperre ab.
    'rate_limit_posts' => 10,
    'rate_limit_seconds' => 600,

    // Datei-Uploads: Höchstgröße je Datei und aller Dateien zusammen (Bytes).
    'max_upload_size' => 2 * 1024 * 1024,
    'max_total_upload_size' => 8 * 1024 * 1024,
    // Dateiendungen, die als Anhang angenommen werden. Hochgeladene Dateien
    // landen als Anhang auf Ihrem PC: Nehmen Sie nur Arten auf, die beim
    // Öffnen nichts ausführen (keine .exe, .hta, .html, .lnk, .msi, .docm,
    // .ps1 ...). Zum Beispiel ergänzen: 'docx', 'odt'.
    // Die Art der Datei (Content-Type) bestimmt der Formmailer aus der Endung.
    //
    // ACHTUNG, 'csv' ist absichtlich nicht dabei: Eine CSV-Datei kann Formeln
    // enthalten (zum Beispiel =cmd|' /C calc'!A0), die Excel oder LibreOffice
    // beim Öffnen ausführt – ein Fremder könnte so Programme auf Ihrem PC
    // starten. Nehmen Sie 'csv' nur auf, wenn Sie solche Dateien nie mit einer
    // Tabellenkalkulation öffnen, sondern nur mit einem Texteditor.
    'allowed_upload_types' => ['pdf', 'jpg', 'jpeg', 'png', 'gif', 'webp', 'txt'],
    // Endungen, die nie angenommen werden, auch nicht in der Mitte des Namens
    // ("bild.php.jpg").
    'refused_extensions' => VQ_REFUSED_EXTENSIONS,

    // Spam-Schutz (Captcha): true verlangt bei jedem Formular den Code aus dem
    // Bild; false nur bei Formularen, die im Designer mit Captcha erzeugt
    // wurden. Ob ein Code verlangt wird, entscheidet nur diese Einstellung;
    // ein Besucher kann den Schutz nicht abschalten. Formulare ohne
    // Captcha-Bild brauchen false.
    // Früher ging hier auch eine Liste von Formular-Nummern. Die Nummer sendet
    // aber das Formular selbst mit, und wer eine andere Nummer sendet, wäre
    // am Captcha vorbeigekommen. Eine solche Liste gilt deshalb jetzt wie
    // true: Der Code wird bei allen Formularen verlangt.
    'captcha_required' => true,

    // Kopie an den Absender (veraltet, die Eingangsbestätigung oben ersetzt
    // sie; geht eine Bestätigung hinaus, entfällt die Kopie): Ist das im
    // Formular angekreuzt, bekommt die
    // Adresse aus dem Feld "email" eine Kopie seiner Angaben. Da jeder
    // Besucher dort jede Adresse eintragen kann, ist das abgeschaltet; mit
    // true schalten Sie es ein. Betreff und Text der Kopie stehen hier, nie
    // im Formular: Den Mailtext aus dem Formular bekommen nur Sie, denn ein
    // Fremder könnte dort jeden Text einsetzen und ihn in Ihrem Namen an
    // beliebige Adressen schicken lassen.
    'send_copy_to_sender' => false,
    'copy_subject' => 'Ihre Angaben an uns',
    // Text über der Kopie. "#br#" ist ein Zeilenumbruch, {#Feldname#} der
    // Inhalt eines Feldes aus copy_fields.
    'copy_text' => 'Vielen Dank für Ihre Nachricht. Dies ist eine Kopie Ihrer Angaben.',
    // Die Felder, deren Inhalt die Kopie zeigt (Namen wie im Designer), dazu
    // die bestellten Artikel. Andere Felder bleiben in der Kopie weg.
    // Ergänzen Sie zum Beispiel 'Nachricht', wenn Ihr Formular ein solches
    // Feld hat. UStIdNr, Kaeuferreferenz und EMailERechnung sind die Felder
    // einer Bestellung als Unternehmen (USt-IdNr., Käuferreferenz /
    // Leitweg-ID, E-Mail-Adresse für E-Rechnungen); der Formmailer prüft sie
    // und gibt sie mit der Bestellung an das Rechnungsmodul weiter.
    'copy_fields' => ['Firma', 'Vorname', 'Nachname', 'Strasse', 'PLZ', 'Ort', 'Land', 'email', 'Telefon',
                      'Homepage', 'UStIdNr', 'Kaeuferreferenz', 'EMailERechnung'],

    // Eingangsbestätigung: Nach jeder erfolgreichen Bestellung bekommt der
    // Kunde sofort eine Bestätigung mit der Bestellung, wie der Formmailer
    // sie gelesen und geprüft hat (Artikel, Optionen, Summen, MwSt.),
    // Bestellnummer, Datum und Uhrzeit des Eingangs. Rechtlicher Grund: Der
    // Zugang einer elektronischen Bestellung ist unverzüglich zu bestätigen
    // (§ 312i Abs. 1 Nr. 3 BGB). Sie ersetzt die Kopie an den Absender als
    // sicheren Weg: Sie geht nur an die geprüfte Adresse der Bestellung, nur
    // nach dem Captcha (wo es verlangt wird) und enthält keinen Text aus dem
    // Formular. Mit false abschalten; im Designer kann ein Projekt sie für
    // sein Formular ebenfalls abschalten.
    'send_confirmation' => true,
    'confirmation_subject' => 'Eingangsbestätigung Ihrer Bestellung',
    // Text über der Bestellung. "#br#" ist ein Zeilenumbruch.
    'confirmation_text' => 'Vielen Dank für Ihre Bestellung. Sie ist bei uns eingegangen; wir '
        . 'bearbeiten sie umgehend. Dies ist eine automatische Eingangsbestätigung.',
    // Dateien, die jeder Bestätigung beiliegen, z. B. AGB und
    // Widerrufsbelehrung als PDF (ganze Pfade, je höchstens 5 MB). Die
    // Vertragsbedingungen samt AGB muss der Kunde speichern können
    // (§ 312i Abs. 1 Nr. 4 BGB).
    'confirmation_attachments' => [
        // __DIR__ . '/agb.pdf',
        // __DIR__ . '/widerrufsbelehrung.pdf',
    ],
    // Höchstens so viele Bestätigungen (Bestellungen und Widerrufe) je
    // Empfängeradresse im Zeitraum (Sekunden): So kann niemand über das
    // Formular ein fremdes Postfach fluten.
    'confirmation_limit' => 5,
    'confirmation_limit_seconds' => 86400,

    // Widerrufsbutton: Die mit dem Designer erzeugte Widerrufsseite
    // ("zelkin --generate widerruf PROJEKT.vqb") sendet hierher
    // (formmail.php?action=widerruf). Rechtlicher Grund: Ein Online-Shop muss
    // seit dem 19. Juni 2026 eine Widerrufsfunktion anbieten und den Eingang
    // des Widerrufs sofort mit Datum und Uhrzeit bestätigen (§ 356a BGB). Sie
    // bekommen den Widerruf als Mail, das Rechnungsmodul (wenn im Projekt
    // eingeschaltet) eine Widerrufs-Mail, die es beim Einlesen der zugehörigen
    // Bestellung zuordnet. Die Bestätigung an den Kunden lässt sich hier
    // abschalten; sie ist aber gesetzlich verlangt.
    'send_withdrawal_confirmation' => true,
    'withdrawal_subject' => 'Bestätigung Ihres Widerrufs',
    'withdrawal_text' => 'Ihr Widerruf ist bei uns eingegangen. Wir bestätigen den Eingang mit Datum '
        . 'und Uhrzeit:',

    // Seiten, zu denen der Formmailer nach dem Senden oder bei einem Fehler
    // weiterleiten darf (Danke-Seite, Fehlerseiten), außer Seiten auf dem
    // Server dieses Skripts: Namen von Servern, z. B. 'www.ihre-domain.example'.
    'allowed_redirect_hosts' => [
        // 'www.ihre-domain.example',
    ],

    // Preisliste: Liegt die mit dem Designer erzeugte Datei
    // ("zelkin --price-list PROJEKT.vqb") hier, nimmt der
    // Formmailer nur Bestellungen an, deren Artikel, Preise, Steuersätze und
    // Aufpreise mit ihr übereinstimmen. Artikel mit festem Preis (zum
    // Beispiel Versandkosten) müssen in jeder Bestellung genau einmal stehen,
    // und jede Preisoption eines Artikels genau einmal. Ohne Datei werden die
    // Preise nicht geprüft. Eine Datei, die nicht gelesen werden kann, sperrt
    // alle Bestellungen, bis sie neu erzeugt ist. Erzeugen Sie die Datei nach
    // jeder Änderung der Artikel neu.
    'price_list_file' => __DIR__ . '/vq_preisliste.json',

    // Geheimnis für die Signatur der Bestell-Mails. Tragen Sie hier eine
    // lange, zufällige Zeichenfolge ein und dieselbe beim Mandanten im
    // Rechnungsmodul: Dann liest das Rechnungsmodul nur noch Bestell-Mails
    // ein, die dieser Formmailer unterschrieben hat; gefälschte Bestellungen
    // werden als "nicht signiert" aufgeführt. Leer: keine Signatur.
    'order_secret' => '',

    // Grenzen einer Sendung: Länge eines Eingabefelds und aller Felder
    // zusammen (Bytes), Artikel je Formular, Optionen je Artikel, Stückzahl
    // je Artikel. Größere Sendungen werden abgelehnt, bevor eine Mail
    // hinausgeht.
    'max_field_length' => 32768,
    'max_post_text' => 262144,
    'max_order_lines' => 500,
    'max_options' => 50,
    'max_quantity' => 100000,

    // Prüfschlüssel für "Link testen" (formmail.php?action=checkurl): Ohne
    // ihn zeigt die Seite nur, dass das Skript erreichbar ist. Die Prüfliste
    // (Mailversand, Speicherordner, Empfänger, Preisprüfung, Captcha, Kopie,
    // Signatur) sieht nur, wer den Schlüssel kennt, denn sie verrät auch
    // Fremden, ob Preise geprüft und Bestell-Mails signiert werden. Tragen
    // Sie eine zufällige Zeichenfolge von mindestens 16 Zeichen ein und
    // hängen Sie sie beim Testen an die Adresse an:
    // .../formmail.php?action=checkurl&token=IHR-SCHLÜSSEL
    // Leer oder kürzer als 16 Zeichen: Die Prüfliste wird niemandem gezeigt.
    'checkurl_token' => '',

    // Zeitzone der Bestellzeit in der Bestell-Mail für das Rechnungsmodul.
    'timezone' => 'Europe/Berlin',
];
