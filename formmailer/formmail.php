<?php
// VQ-Bestellformular form mailer: receives the posts of the generated order
// and contact forms, mails them to the shop owner, sends the order mail for
// the invoice module and leads the visitor on. Also serves the captcha image
// (?action=captcha&id=ID) and a reachability check (?action=checkurl).

declare(strict_types=1);

require __DIR__ . '/vq_formmail_lib.php';

/** Names of the hidden fields the generated page posts. */
const VQ_FIELDS = [
    'formid' => 'vq_formid',
    'settings' => 'vq_settings',
    'tax' => 'vq_tax',
    'danke' => 'vq_danke',
    'ip' => 'vq_ip',
    'encoding' => 'vq_encoding',
    'subject' => 'vq_subject',
    'cryptmail' => 'vq_cryptmail',
    'admin' => 'vq_admin',
    'admin1' => 'vq_admin1',
    'admin2' => 'vq_admin2',
    'rechtool' => 'vq_rechtool',
    'rechtoolmail' => 'vq_rechtoolmail',
    'mailtext' => 'vq_mailtext',
    'typemail' => 'vq_typemail',
    'anzahl' => 'vq_anzahl',
    'currency' => 'vq_currency',
];

/** Posted fields that are not shown as form values in the mail. */
function vq_internal_field(string $name): bool
{
    return in_array($name, VQ_FIELDS, true)
        || in_array($name, ['captcha_input', 'ReturnToSender', 'settings_error_iplock',
                            'settings_error_fileerror', 'settings_error_captcha'], true)
        || preg_match('/^b_(anz|gesamt|ges|opt|name|preis|mwst|bestnr|opt_count|opt_type|optname)\d*(_\d+)?$/',
                      $name) === 1;
}

function vq_config(): array
{
    $file = __DIR__ . '/formmail.config.php';
    $config = is_file($file) ? require $file : [];
    return is_array($config) ? $config : [];
}

function vq_page(int $status, string $title, string $message, bool $offerBack = true): void
{
    http_response_code($status);
    header('Content-Type: text/html; charset=UTF-8');
    header('Cache-Control: no-store');
    $t = htmlspecialchars($title, ENT_QUOTES, 'UTF-8');
    $m = htmlspecialchars($message, ENT_QUOTES, 'UTF-8');
    $back = $offerBack
        ? '<p><a href="javascript:history.back()">Zurück zum Formular</a></p>' : '';
    echo "<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"UTF-8\">"
        . "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        . "<title>$t</title><style>body{font-family:sans-serif;max-width:40em;margin:2em auto;"
        . "padding:0 1em;line-height:1.5}h1{font-size:1.4em}</style></head>"
        . "<body><h1>$t</h1><p>$m</p>$back</body></html>\n";
}

/** Leads to the page named by an error field, or shows our own page. */
function vq_refuse(string $errorField, string $title, string $message): void
{
    $target = isset($_POST[$errorField]) && is_string($_POST[$errorField])
        ? vq_safe_redirect((string)base64_decode($_POST[$errorField], true)) : null;
    if ($target !== null) {
        header('Location: ' . $target, true, 303);
        return;
    }
    vq_page(400, $title, $message);
}

function vq_action_captcha(array $config): void
{
    $id = (string)($_GET['id'] ?? '');
    $dir = vq_storage_dir($config);
    if (!vq_valid_form_id($id) || $dir === null || !function_exists('imagecreatetruecolor')) {
        http_response_code(404);
        return;
    }
    $code = vq_captcha_new_code();
    if (!vq_captcha_store($dir, $id, $code, (int)($config['captcha_lifetime'] ?? 1800))) {
        http_response_code(500);
        return;
    }
    header('Content-Type: image/png');
    header('Cache-Control: no-store');
    echo vq_captcha_png($code);
}

function vq_action_checkurl(array $config): void
{
    $mailOk = function_exists('mail') && (string)ini_get('sendmail_path') !== '';
    $gdOk = function_exists('imagecreatetruecolor');
    $storageOk = vq_storage_dir($config) !== null;
    $recipients = count(array_filter((array)($config['allowed_recipients'] ?? []), 'strlen'));
    $row = fn(string $what, bool $ok, string $hint = ''): string => '<tr><td>'
        . htmlspecialchars($what, ENT_QUOTES, 'UTF-8') . '</td><td>' . ($ok ? 'in Ordnung' : 'FEHLT')
        . ($ok || $hint === '' ? '' : ' – ' . htmlspecialchars($hint, ENT_QUOTES, 'UTF-8'))
        . '</td></tr>';
    header('Content-Type: text/html; charset=UTF-8');
    echo "<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"UTF-8\"><title>Formmailer</title>"
        . "</head><body><h1>Das Formmailer-Skript ist erreichbar.</h1><table>"
        . $row('Mailversand', $mailOk, 'PHP kann keine Mails senden (mail(), sendmail_path)')
        . $row('Grafik (GD) für das Captcha', $gdOk, 'die PHP-Erweiterung GD fehlt')
        . $row('Speicherordner', $storageOk, 'storage_dir in formmail.config.php ist nicht beschreibbar')
        . $row("Erlaubte Empfänger ($recipients)", $recipients > 0,
               'allowed_recipients in formmail.config.php eintragen')
        . "</table></body></html>\n";
}

function vq_action_send(array $config): void
{
    if (($_SERVER['REQUEST_METHOD'] ?? '') !== 'POST') {
        vq_page(405, 'Formmailer', 'Dieses Skript nimmt nur gesendete Formulare an.', false);
        return;
    }
    $raw = fn(string $name): string => isset($_POST[$name]) && is_string($_POST[$name])
        ? $_POST[$name] : '';
    $field = fn(string $key): string => $raw(VQ_FIELDS[$key]);
    $encoding = $field('encoding');
    $text = fn(string $name): string => vq_posted_text($raw($name), $encoding);

    $dir = vq_storage_dir($config);
    $ip = (string)($_SERVER['REMOTE_ADDR'] ?? '');

    // A sender that posts too often is blocked.
    if (!vq_rate_limit_ok($dir, $ip, (int)($config['rate_limit_posts'] ?? 10),
                          (int)($config['rate_limit_seconds'] ?? 600))) {
        vq_refuse('settings_error_iplock', 'Zu viele Anfragen',
                  'Von Ihrer Adresse wurden in kurzer Zeit zu viele Formulare gesendet. '
                  . 'Bitte versuchen Sie es später noch einmal.');
        return;
    }

    // Spam protection.
    if (vq_unscramble($field('settings')) === 'true') {
        $typed = $raw('captcha_input');
        if ($dir === null || !vq_captcha_check($dir, $field('formid'), $typed,
                                               (int)($config['captcha_lifetime'] ?? 1800))) {
            vq_refuse('settings_error_captcha', 'Falscher Sicherheitscode',
                      'Der eingegebene Code aus dem Bild stimmt nicht. Bitte laden Sie das '
                      . 'Formular neu und geben Sie den neuen Code ein.');
            return;
        }
    }

    // Recipients: only those the configuration allows.
    $allowed = (array)($config['allowed_recipients'] ?? []);
    $crypt = $field('cryptmail') === '1';
    $recipients = [];
    foreach (['admin', 'admin1', 'admin2'] as $key) {
        $value = $crypt ? vq_unscramble($field($key)) : vq_posted_text($field($key), $encoding);
        if (trim($value) === '') {
            continue;
        }
        $address = vq_valid_address($value);
        if ($address === null || !vq_recipient_allowed($address, $allowed)) {
            vq_page(403, 'Empfänger nicht erlaubt',
                    'Dieses Formular darf nicht an die angegebene Adresse gesendet werden. '
                    . 'Der Betreiber der Seite muss die Adresse in formmail.config.php freigeben.');
            return;
        }
        $recipients[] = $address;
    }
    if ($recipients === []) {
        vq_page(400, 'Kein Empfänger', 'Das Formular nennt keinen Empfänger.');
        return;
    }
    $invoiceAddress = null;
    if ($field('rechtool') === '1') {
        $invoiceAddress = vq_valid_address($text(VQ_FIELDS['rechtoolmail']));
        if ($invoiceAddress === null || !vq_recipient_allowed($invoiceAddress, $allowed)) {
            vq_page(403, 'Empfänger nicht erlaubt',
                    'Die Adresse des Rechnungsmoduls ist in formmail.config.php nicht freigegeben.');
            return;
        }
    }

    // Uploads: within the limits, no executable or hidden names; read from
    // PHP's temporary file, never stored beside the script.
    $attachments = [];
    $totalSize = 0;
    foreach ($_FILES as $file) {
        if (!is_array($file) || is_array($file['error'] ?? null)) {
            continue;
        }
        if ($file['error'] === UPLOAD_ERR_NO_FILE) {
            continue;
        }
        $name = (string)$file['name'];
        $size = (int)$file['size'];
        $totalSize += $size;
        if ($file['error'] !== UPLOAD_ERR_OK || !is_uploaded_file($file['tmp_name'])
            || $size > (int)($config['max_upload_size'] ?? 0)
            || $totalSize > (int)($config['max_total_upload_size'] ?? 0)
            || vq_upload_name_refused($name, (array)($config['refused_extensions'] ?? []))) {
            vq_refuse('settings_error_fileerror', 'Datei nicht angenommen',
                      'Die hochgeladene Datei „' . vq_sanitize_upload_name($name)
                      . '“ ist zu groß oder hat einen nicht erlaubten Dateityp.');
            return;
        }
        $attachments[] = ['name' => $name, 'type' => (string)$file['type'],
                          'data' => (string)file_get_contents($file['tmp_name'])];
    }

    // The form mail.
    $html = $field('typemail') === 'html';
    $currency = $text(VQ_FIELDS['currency']);
    $lines = vq_order_lines((int)(vq_number($field('anzahl')) ?? 0), $text);
    $totals = vq_order_totals($lines, vq_unscramble($field('tax')));
    $values = [];
    foreach (array_keys($_POST) as $name) {
        if (is_string($_POST[$name]) && !vq_internal_field((string)$name)) {
            $values[(string)$name] = $text((string)$name);
        }
    }
    $mailText = vq_mail_text(vq_unscramble($field('mailtext')), $text);
    $extra = [];
    if ($field('ip') === '-1') {
        $extra['IP-Adresse'] = $ip;
        $extra['Browser'] = (string)($_SERVER['HTTP_USER_AGENT'] ?? '');
        $extra['Zeit'] = date('d.m.Y H:i:s');
    }
    $body = $html ? vq_form_mail_html($mailText, $values, $lines, $totals, $currency, $extra)
                  : vq_form_mail_plain($mailText, $values, $lines, $totals, $currency, $extra);

    $subject = vq_encode_header($text(VQ_FIELDS['subject']) ?: 'Formular');
    $from = vq_valid_address((string)($config['mail_from'] ?? '')) ?? 'formmailer@localhost';
    $sender = vq_valid_address($text('email'));
    [$headers, $message] = vq_build_mail($from, $sender, $html, $body, $attachments);
    $sent = mail(implode(', ', $recipients), $subject, $message, $headers);

    if ($sent && $raw('ReturnToSender') === '-1' && $sender !== null) {
        [$copyHeaders, $copy] = vq_build_mail($from, null, $html, $body);
        mail($sender, $subject, $copy, $copyHeaders);
    }

    if ($sent && $invoiceAddress !== null) {
        $sent = vq_send_order_mail($invoiceAddress, $from, $text,
                                   (int)(vq_number($field('anzahl')) ?? 0), $ip);
    }

    if (!$sent) {
        vq_page(500, 'Senden fehlgeschlagen',
                'Ihre Angaben konnten nicht gesendet werden. Bitte versuchen Sie es später noch '
                . 'einmal.');
        return;
    }
    $thanks = vq_safe_redirect($text(VQ_FIELDS['danke']));
    if ($thanks !== null) {
        header('Location: ' . $thanks, true, 303);
        return;
    }
    vq_page(200, 'Vielen Dank', 'Ihre Angaben wurden gesendet.', false);
}

function vq_form_mail_plain(string $mailText, array $values, array $lines, array $totals,
                            string $currency, array $extra): string
{
    $out = $mailText === '' ? '' : $mailText . "\n\n";
    foreach ($values as $name => $value) {
        $out .= "$name: $value\n";
    }
    if ($lines !== []) {
        $out .= "\nBestellung:\n";
        foreach ($lines as $l) {
            $out .= sprintf("%d x %s (Art.-Nr. %s) zu %s = %s\n", $l['amount'], $l['name'],
                            $l['number'], vq_money($l['price'], $currency),
                            vq_money($l['total'], $currency));
            foreach ($l['options'] as $o) {
                $out .= '    ' . $o['name'] . ': ' . $o['value']
                    . ($o['price'] != 0 ? ' (+' . vq_money($o['price'], $currency) . ')' : '') . "\n";
            }
        }
        $out .= 'MwSt.: ' . vq_money($totals['vat'], $currency) . "\n";
        $out .= 'Gesamt: ' . vq_money($totals['total'], $currency) . "\n";
    }
    foreach ($extra as $name => $value) {
        $out .= "\n$name: $value";
    }
    return str_replace("\n", "\r\n", rtrim($out)) . "\r\n";
}

function vq_form_mail_html(string $mailText, array $values, array $lines, array $totals,
                           string $currency, array $extra): string
{
    $e = fn(string $s): string => htmlspecialchars($s, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
    $out = "<!DOCTYPE html>\r\n<html><head><meta charset=\"UTF-8\"></head><body>\r\n";
    if ($mailText !== '') {
        $out .= '<p>' . nl2br($e($mailText), false) . "</p>\r\n";
    }
    $out .= "<table cellpadding=\"4\">\r\n";
    foreach ($values as $name => $value) {
        $out .= '<tr><td><b>' . $e($name) . '</b></td><td>' . nl2br($e($value), false) . "</td></tr>\r\n";
    }
    $out .= "</table>\r\n";
    if ($lines !== []) {
        $out .= "<h3>Bestellung</h3>\r\n<table cellpadding=\"4\" border=\"1\" style=\"border-collapse:collapse\">\r\n"
            . "<tr><th>Anzahl</th><th>Artikel</th><th>Art.-Nr.</th><th>Einzelpreis</th><th>Gesamtpreis</th></tr>\r\n";
        foreach ($lines as $l) {
            $options = '';
            foreach ($l['options'] as $o) {
                $options .= '<br>' . $e($o['name']) . ': ' . $e($o['value'])
                    . ($o['price'] != 0 ? ' (+' . $e(vq_money($o['price'], $currency)) . ')' : '');
            }
            $out .= '<tr><td>' . $l['amount'] . '</td><td>' . $e($l['name']) . $options . '</td><td>'
                . $e($l['number']) . '</td><td>' . $e(vq_money($l['price'], $currency)) . '</td><td>'
                . $e(vq_money($l['total'], $currency)) . "</td></tr>\r\n";
        }
        $out .= '<tr><td colspan="4">MwSt.</td><td>' . $e(vq_money($totals['vat'], $currency))
            . "</td></tr>\r\n" . '<tr><td colspan="4"><b>Gesamt</b></td><td><b>'
            . $e(vq_money($totals['total'], $currency)) . "</b></td></tr>\r\n</table>\r\n";
    }
    foreach ($extra as $name => $value) {
        $out .= '<p>' . $e($name) . ': ' . $e($value) . "</p>\r\n";
    }
    return $out . "</body></html>\r\n";
}

$config = vq_config();
date_default_timezone_set((string)($config['timezone'] ?? 'Europe/Berlin'));
$action = (string)($_GET['action'] ?? 'send');
if ($action === 'captcha') {
    vq_action_captcha($config);
} elseif ($action === 'checkurl') {
    vq_action_checkurl($config);
} else {
    vq_action_send($config);
}
