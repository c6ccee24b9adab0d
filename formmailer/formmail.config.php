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

    // Ordner für Captcha-Codes und die Sperrliste. Er muss für PHP
    // beschreibbar sein und sollte außerhalb des Web-Verzeichnisses liegen.
    'storage_dir' => sys_get_temp_dir() . '/vq-formmailer-' . md5(__DIR__),

    // Wie lange ein Captcha-Code gilt (Sekunden).
    'captcha_lifetime' => 1800,

    // Höchstens so viele Formular-Sendungen je Absender-IP-Adresse im
    // angegebenen Zeitraum (Sekunden). 0 schaltet die Sperre ab.
    'rate_limit_posts' => 10,
    'rate_limit_seconds' => 600,

    // Datei-Uploads: Höchstgröße je Datei und aller Dateien zusammen (Bytes)
    // und Dateiendungen, die nie angenommen werden.
    'max_upload_size' => 2 * 1024 * 1024,
    'max_total_upload_size' => 8 * 1024 * 1024,
    'refused_extensions' => VQ_REFUSED_EXTENSIONS,

    // Zeitzone der Bestellzeit in der Bestell-Mail für das Rechnungsmodul.
    'timezone' => 'Europe/Berlin',
];
