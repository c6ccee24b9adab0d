<?php
// VQ-Bestellformular form mailer: receives the posts of the generated order
// and contact forms, mails them to the shop owner, sends the order mail for
// the invoice module and the customer's confirmation of receipt, and leads the
// visitor on. Also takes withdrawals (?action=widerruf), serves the captcha
// image (?action=captcha&id=ID) and a reachability check (?action=checkurl).

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
    'confirmation' => 'vq_bestaetigung',
];

/** Posted fields that are not shown as form values in the mail. */
function vq_internal_field(string $name): bool
{
    return in_array($name, VQ_FIELDS, true)
        || in_array($name, ['captcha_input', 'vq_view', 'ReturnToSender', 'settings_error_iplock',
                            'settings_error_fileerror', 'settings_error_captcha'], true)
        || preg_match('/^b_(anz|gesamt|ges|opt|name|preis|mwst|bestnr|opt_count|opt_type|optname)\d*(_\d+)?$/',
                      $name) === 1;
}

/** Subject and text of the confirmation of receipt unless the configuration names them. */
const VQ_CONFIRMATION_SUBJECT = 'Eingangsbestätigung Ihrer Bestellung';
const VQ_CONFIRMATION_TEXT = "Vielen Dank f\u{FC}r Ihre Bestellung. Sie ist bei uns eingegangen; wir bearbeiten sie "
    . "umgehend. Dies ist eine automatische Eingangsbest\u{E4}tigung.";
const VQ_WITHDRAWAL_SUBJECT = "Best\u{E4}tigung Ihres Widerrufs";
const VQ_WITHDRAWAL_TEXT = "Ihr Widerruf ist bei uns eingegangen. Wir best\u{E4}tigen den Eingang mit Datum und "
    . "Uhrzeit:";

/** The text above the copy to the sender unless the configuration names one (copy_text). */
const VQ_COPY_TEXT = "Vielen Dank f\u{FC}r Ihre Nachricht. Dies ist eine Kopie Ihrer Angaben.";

/**
 * The posted values the copy to the sender shows, in the form's order: only
 * the fields the configuration names (copy_fields; the customer fields of
 * the order unless it names others).
 */
function vq_copy_values(array $config, array $values): array
{
    $fields = array_map('strval', array_filter((array)($config['copy_fields']
        ?? array_merge(VQ_CUSTOMER_FIELDS, array_keys(VQ_BUYER_ID_FIELDS))), 'is_string'));
    return array_intersect_key($values, array_flip($fields));
}

function vq_config(): array
{
    $file = __DIR__ . '/formmail.config.php';
    $config = is_file($file) ? require $file : [];
    return is_array($config) ? $config : [];
}

/** A text setting of the configuration. */
function vq_setting(array $config, string $key, string $default = ''): string
{
    return is_string($config[$key] ?? null) ? $config[$key] : $default;
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

/** The hosts the browser may be sent to: the script's own and those the configuration lists. */
function vq_redirect_target(array $config, string $url): ?string
{
    return vq_safe_redirect($url, (string)($_SERVER['HTTP_HOST'] ?? ''),
                            (array)($config['allowed_redirect_hosts'] ?? []));
}

/** Leads to the page named by an error field, or shows our own page. */
function vq_refuse(array $config, string $errorField, string $title, string $message): void
{
    $target = isset($_POST[$errorField]) && is_string($_POST[$errorField])
        ? vq_redirect_target($config, (string)base64_decode($_POST[$errorField], true)) : null;
    if ($target !== null) {
        header('Location: ' . $target, true, 303);
        return;
    }
    vq_page(400, $title, $message);
}

/**
 * Whether the configuration demands the captcha of every form. A list of form
 * ids, which older configurations may hold, counts as true: the form id comes
 * with the post, so a list would let anyone skip the captcha by posting an id
 * that is not on it.
 */
function vq_captcha_required(array $config): bool
{
    $setting = $config['captcha_required'] ?? true;
    return is_array($setting) || (bool)$setting;
}

/** A limit of the configuration: at least 0, $default when it is not a number. */
function vq_config_int(array $config, string $key, int $default): int
{
    return is_int($config[$key] ?? null) ? max(0, $config[$key]) : $default;
}

/**
 * The confirmation of receipt of an order, or null when none goes out: the
 * configuration (send_confirmation) and the page (a project may switch it off)
 * must allow it, the order must name a customer's address and have lines, and
 * that address may have had at most confirmation_limit of them in
 * confirmation_limit_seconds.
 */
function vq_order_confirmation(array $config, bool $pageAllows, ?string $customer, array $lines,
                               array $totals, string $currency, string $orderId, bool $html, ?string $dir): ?array
{
    if (!($config['send_confirmation'] ?? true) || !$pageAllows || $customer === null || $lines === []) {
        return null;
    }
    if (!vq_confirmation_allowed($dir, $customer, vq_config_int($config, 'confirmation_limit', 5),
                                 vq_config_int($config, 'confirmation_limit_seconds', 86400))) {
        return null;
    }
    $from = vq_valid_address(vq_setting($config, 'mail_from')) ?? 'formmailer@localhost';
    return vq_confirmation_mail($from, $customer, vq_setting($config, 'confirmation_subject', VQ_CONFIRMATION_SUBJECT),
                                vq_setting($config, 'confirmation_text', VQ_CONFIRMATION_TEXT), $lines, $totals,
                                $currency, $orderId, time(),
                                vq_owner_attachments((array)($config['confirmation_attachments'] ?? [])), $html);
}

function vq_price_list_file(array $config): string
{
    return vq_setting($config, 'price_list_file', __DIR__ . '/vq_preisliste.json');
}

/** The captcha's lifetime in seconds: at least a minute, at most a day. */
function vq_captcha_lifetime(array $config): int
{
    return max(60, min(86400, (int)($config['captcha_lifetime'] ?? 1800)));
}

function vq_action_captcha(array $config): void
{
    $id = is_string($_GET['id'] ?? null) ? $_GET['id'] : '';
    $dir = vq_storage_dir($config);
    if (!vq_valid_form_id($id) || $dir === null || !function_exists('imagecreatetruecolor')) {
        http_response_code(404);
        return;
    }
    $key = vq_captcha_key($dir);
    if ($key === null) {
        http_response_code(503);
        return;
    }
    // The code lives in the visitor's cookie, signed by the server: nothing is stored.
    $lifetime = vq_captcha_lifetime($config);
    [$cookie, $code] = vq_captcha_issue($key, $id, is_string($_COOKIE[VQ_CAPTCHA_COOKIE] ?? null)
                                        ? $_COOKIE[VQ_CAPTCHA_COOKIE] : null, $lifetime, time());
    $https = ($_SERVER['HTTPS'] ?? '') !== '' && strtolower((string)$_SERVER['HTTPS']) !== 'off';
    setcookie(VQ_CAPTCHA_COOKIE, $cookie, [
        'expires' => time() + $lifetime,
        'path' => '/',
        'secure' => $https,
        'httponly' => true,
        // Over https the page may come from another host of the shop.
        'samesite' => $https ? 'None' : 'Lax',
    ]);
    header('Content-Type: image/png');
    header('Cache-Control: no-store');
    echo vq_captcha_png($code);
}

/**
 * Whether the check page may show the settings: only with the owner's
 * checkurl_token (at least 16 characters) given as "token", compared in
 * constant time.
 */
function vq_checkurl_owner(array $config): bool
{
    $token = vq_setting($config, 'checkurl_token');
    $given = is_string($_GET['token'] ?? null) ? $_GET['token'] : '';
    return strlen($token) >= 16 && hash_equals($token, $given);
}

function vq_action_checkurl(array $config): void
{
    header('Content-Type: text/html; charset=UTF-8');
    header('Cache-Control: no-store');
    // The token stands in the address: it is not handed on to other sites.
    header('Referrer-Policy: no-referrer');
    header('X-Robots-Tag: noindex');
    // The designer's "Link testen" opens this page and the owner looks for
    // its heading; anyone else learns no more than that the script runs.
    if (!vq_checkurl_owner($config)) {
        echo "<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"UTF-8\"><title>Formmailer</title>"
            . "</head><body><h1>Das Formmailer-Skript ist erreichbar.</h1><p>Die Pr\u{FC}fliste der Einstellungen "
            . "zeigt diese Seite nur mit dem Pr\u{FC}fschl\u{FC}ssel aus formmail.config.php (checkurl_token), "
            . "angeh\u{E4}ngt als &amp;token=...</p></body></html>\n";
        return;
    }
    $mailOk = function_exists('mail') && (string)ini_get('sendmail_path') !== '';
    $gdOk = function_exists('imagecreatetruecolor');
    $storageOk = vq_storage_dir($config) !== null;
    $recipients = count(array_filter((array)($config['allowed_recipients'] ?? []), 'is_string'));
    $e = fn(string $s): string => htmlspecialchars($s, ENT_QUOTES, 'UTF-8');
    $row = fn(string $what, bool $ok, string $hint = ''): string => '<tr><td>'
        . $e($what) . '</td><td>' . ($ok ? 'in Ordnung' : 'FEHLT')
        . ($ok || $hint === '' ? '' : ' – ' . $e($hint)) . '</td></tr>';
    $info = fn(string $what, string $state): string => '<tr><td>' . $e($what) . '</td><td>' . $e($state)
        . '</td></tr>';
    $priceList = vq_price_list_load(vq_price_list_file($config));
    if ($priceList['state'] === 'ok') {
        $prices = $info('Preisprüfung', 'Preisliste mit ' . count($priceList['articles'])
                        . ' Artikeln: Bestellungen mit anderen Preisen werden abgelehnt');
    } elseif ($priceList['state'] === 'broken') {
        $prices = $row('Preisprüfung', false, $priceList['error'] . ' Alle Bestellungen werden abgelehnt, '
                       . 'bis die Preisliste neu erzeugt ist.');
    } else {
        $prices = $info('Preisprüfung', 'keine Preisliste – die Preise der Bestellungen werden nicht geprüft');
    }
    $captcha = $config['captcha_required'] ?? true;
    echo "<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"UTF-8\"><title>Formmailer</title>"
        . "</head><body><h1>Das Formmailer-Skript ist erreichbar.</h1><table>"
        . $row('Mailversand', $mailOk, 'PHP kann keine Mails senden (mail(), sendmail_path)')
        . $row('Grafik (GD) für das Captcha', $gdOk, 'die PHP-Erweiterung GD fehlt')
        . $row('Speicherordner', $storageOk, 'storage_dir in formmail.config.php ist nicht beschreibbar, '
               . 'ein Link oder gehört einem anderen Benutzer')
        . $row("Erlaubte Empfänger ($recipients)", $recipients > 0,
               'allowed_recipients in formmail.config.php eintragen')
        . $prices
        . $info('Captcha', is_array($captcha)
                ? 'für alle Formulare verlangt (eine Liste von Formular-Nummern in captcha_required gilt als true)'
                : ($captcha ? 'für alle Formulare verlangt' : 'nur bei Formularen mit Captcha-Bild'))
        . $info('Kopie an den Absender', !empty($config['send_copy_to_sender']) ? 'erlaubt' : 'abgeschaltet')
        . $info('Eingangsbestätigung', ($config['send_confirmation'] ?? true) ? 'an' : 'abgeschaltet')
        . $info('Signatur der Bestell-Mails', vq_setting($config, 'order_secret') !== '' ? 'an' : 'aus')
        . "</table></body></html>\n";
}

/**
 * Whether the request is a post within the bounds of the configuration;
 * otherwise the refusal is shown. Nothing works on more than these bounds.
 */
function vq_post_within_bounds(array $config): bool
{
    if (($_SERVER['REQUEST_METHOD'] ?? '') !== 'POST') {
        vq_page(405, 'Formmailer', 'Dieses Skript nimmt nur gesendete Formulare an.', false);
        return false;
    }
    $sizeError = vq_post_size_error($_POST, $config);
    if ($sizeError !== null) {
        vq_page(413, 'Formular zu groß', $sizeError);
        return false;
    }
    return true;
}

/**
 * The recipients the page posts (vq_admin to vq_admin2, scrambled or not) and
 * the invoice module's address when the page switches it on, each allowed by
 * the configuration: [recipients, invoice address or null]; null after the
 * refusal is shown.
 *
 * @param callable $raw  fn(string $name): string, the posted value as sent
 * @param callable $text fn(string $name): string, the posted value as UTF-8
 */
function vq_posted_recipients(array $config, callable $raw, callable $text): ?array
{
    $allowed = (array)($config['allowed_recipients'] ?? []);
    $crypt = $raw(VQ_FIELDS['cryptmail']) === '1';
    $recipients = [];
    foreach (['admin', 'admin1', 'admin2'] as $key) {
        $value = $crypt ? vq_unscramble($raw(VQ_FIELDS[$key])) : $text(VQ_FIELDS[$key]);
        if (trim($value) === '') {
            continue;
        }
        $address = vq_valid_address($value);
        if ($address === null || !vq_recipient_allowed($address, $allowed)) {
            vq_page(403, 'Empfänger nicht erlaubt',
                    'Dieses Formular darf nicht an die angegebene Adresse gesendet werden. '
                    . 'Der Betreiber der Seite muss die Adresse in formmail.config.php freigeben.');
            return null;
        }
        $recipients[] = $address;
    }
    if ($recipients === []) {
        vq_page(400, 'Kein Empfänger', 'Das Formular nennt keinen Empfänger.');
        return null;
    }
    $invoiceAddress = null;
    if ($raw(VQ_FIELDS['rechtool']) === '1') {
        $invoiceAddress = vq_valid_address($text(VQ_FIELDS['rechtoolmail']));
        if ($invoiceAddress === null || !vq_recipient_allowed($invoiceAddress, $allowed)) {
            vq_page(403, 'Empfänger nicht erlaubt',
                    'Die Adresse des Rechnungsmoduls ist in formmail.config.php nicht freigegeben.');
            return null;
        }
    }
    return [$recipients, $invoiceAddress];
}

function vq_action_send(array $config): void
{
    if (!vq_post_within_bounds($config)) {
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
        vq_refuse($config, 'settings_error_iplock', 'Zu viele Anfragen',
                  'Von Ihrer Adresse wurden in kurzer Zeit zu viele Formulare gesendet. '
                  . 'Bitte versuchen Sie es später noch einmal.');
        return;
    }

    // Spam protection: the configuration decides; the page can only ask for more.
    $formId = $field('formid');
    if (vq_captcha_required($config) || vq_unscramble($field('settings')) === 'true') {
        if (!isset($_POST['captcha_input'])) {
            vq_page(400, 'Sicherheitscode fehlt',
                    'Dieses Formular zeigt keinen Sicherheitscode (Captcha), der Formmailer verlangt aber '
                    . 'einen (captcha_required in formmail.config.php). Der Betreiber der Seite '
                    . 'schaltet im Designer unter „FTP + Spamschutz“ „Captcha-Spamschutz aktivieren“ '
                    . 'ein und lädt das Formular neu hoch, oder er stellt captcha_required in '
                    . 'formmail.config.php auf false.');
            return;
        }
        $cookie = is_string($_COOKIE[VQ_CAPTCHA_COOKIE] ?? null) ? $_COOKIE[VQ_CAPTCHA_COOKIE] : null;
        if ($dir === null
            || !vq_captcha_check($dir, $formId, $cookie, $raw('captcha_input'), vq_captcha_lifetime($config))) {
            vq_refuse($config, 'settings_error_captcha', 'Falscher Sicherheitscode',
                      'Der eingegebene Code aus dem Bild stimmt nicht. Bitte laden Sie das '
                      . 'Formular neu und geben Sie den neuen Code ein.');
            return;
        }
    }

    // Recipients: only those the configuration allows.
    $addresses = vq_posted_recipients($config, $raw, $text);
    if ($addresses === null) {
        return;
    }
    [$recipients, $invoiceAddress] = $addresses;
    $from = vq_valid_address(vq_setting($config, 'mail_from')) ?? 'formmailer@localhost';

    // The customer's address. A page without an "email" field posts the
    // shop's own address there: that is no customer's.
    $sender = vq_valid_address($text('email'));
    $shopAddresses = array_map('strtolower', array_merge($recipients, [$from, (string)$invoiceAddress]));
    if ($sender !== null && in_array(strtolower($sender), $shopAddresses, true)) {
        $sender = null;
    }

    // Uploads: allowed endings within the limits; read from PHP's temporary
    // file, never stored beside the script.
    $uploads = vq_read_uploads($_FILES, (int)($config['max_upload_size'] ?? 0),
                               (int)($config['max_total_upload_size'] ?? 0),
                               array_map('strval', (array)($config['refused_extensions'] ?? VQ_REFUSED_EXTENSIONS)),
                               array_map('strval', (array)($config['allowed_upload_types'] ?? VQ_DEFAULT_UPLOAD_TYPES)));
    if ($uploads['refused'] !== null) {
        vq_refuse($config, 'settings_error_fileerror', 'Datei nicht angenommen',
                  'Die hochgeladene Datei „' . vq_sanitize_upload_name($uploads['refused'])
                  . '“ ist zu groß oder hat einen nicht erlaubten Dateityp.');
        return;
    }

    // A business buyer's identifiers: each, when given, of a valid form.
    $buyerError = vq_buyer_ids_error($text);
    if ($buyerError !== null) {
        vq_page(400, 'Angaben nicht angenommen', $buyerError);
        return;
    }

    // The order: every amount readable, prices as the price list says.
    $postedNames = array_map('strval', array_keys($_POST));
    $order = vq_order_lines((int)(vq_number($field('anzahl')) ?? 0), $postedNames, $text, $config);
    $taxMode = vq_unscramble($field('tax'));
    $refusal = $order['error']
        ?? vq_price_list_error($order['lines'], vq_price_list_load(vq_price_list_file($config)), $taxMode);
    if ($refusal !== null) {
        vq_page(400, 'Bestellung nicht angenommen', $refusal);
        return;
    }
    $lines = $order['lines'];

    // Every mail is built before the first one is sent.
    $html = $field('typemail') === 'html';
    $currency = vq_cut($text(VQ_FIELDS['currency']), 20);
    $totals = vq_order_totals($lines, $taxMode);
    $values = [];
    foreach ($postedNames as $name) {
        if (is_string($_POST[$name]) && !vq_internal_field($name)) {
            $values[$name] = $text($name);
        }
    }
    $mailText = vq_mail_text(vq_unscramble($field('mailtext')), $text);
    $extra = [];
    if ($field('ip') === '-1') {
        $extra['IP-Adresse'] = $ip;
        $extra['Browser'] = vq_cut(vq_header_safe((string)($_SERVER['HTTP_USER_AGENT'] ?? '')), 500);
        $extra['Zeit'] = date('d.m.Y H:i:s');
    }
    $body = $html ? vq_form_mail_html($mailText, $values, $lines, $totals, $currency, $extra)
                  : vq_form_mail_plain($mailText, $values, $lines, $totals, $currency, $extra);

    $mails = [];
    [$headers, $message] = vq_build_mail($from, $sender, $html, $body, $uploads['attachments']);
    $mails[] = ['to' => implode(', ', $recipients),
                'subject' => vq_encode_header($text(VQ_FIELDS['subject']) ?: 'Formular'),
                'body' => $message, 'headers' => $headers];
    // A copy to the sender only when the owner allows it, with the owner's
    // subject and text: it goes to whatever address was posted, so nothing
    // posted may choose its words (the page's vq_mailtext is the owner's mail
    // text, and a stranger may post any).
    // The same order sent again from one page view keeps its id; another order from it gets another.
    $orderId = vq_order_uuid($formId, $raw('vq_view'),
                             vq_order_digest($lines, vq_order_customer($text, $sender ?? ''), $taxMode));
    // The confirmation of receipt goes to the address the order carries after
    // the checks above, with the owner's words and the order as read here.
    $confirmation = vq_order_confirmation($config, $field('confirmation') !== '0', $sender, $lines, $totals,
                                          $currency, $orderId, $html, $dir);
    $copy = null;
    if ($confirmation === null && !empty($config['send_copy_to_sender']) && $raw('ReturnToSender') === '-1'
        && $sender !== null) {
        $copyValues = vq_copy_values($config, $values);
        $copyText = vq_mail_text(vq_setting($config, 'copy_text', VQ_COPY_TEXT),
                                 fn(string $name): string => $copyValues[$name] ?? '');
        $copyBody = $html ? vq_form_mail_html($copyText, $copyValues, $lines, $totals, $currency, [])
                          : vq_form_mail_plain($copyText, $copyValues, $lines, $totals, $currency, []);
        [$copyHeaders, $copyMessage] = vq_build_mail($from, null, $html, $copyBody);
        $copy = ['to' => $sender,
                 'subject' => vq_encode_header(vq_setting($config, 'copy_subject', 'Ihre Angaben an uns')),
                 'body' => $copyMessage, 'headers' => $copyHeaders];
    }
    $orderMail = $invoiceAddress === null ? null
        : vq_build_order_mail($invoiceAddress, $from, $text, $lines, $ip, $taxMode, $orderId, $sender ?? '',
                              vq_setting($config, 'order_secret'));

    $sent = vq_send_mails($mails);
    if ($sent && $copy !== null) {
        vq_send_mails([$copy]); // a lost copy does not fail the order
    }
    if ($sent && $confirmation !== null) {
        vq_send_mails([$confirmation]); // nor does a lost confirmation
    }
    if ($sent && $orderMail !== null) {
        $sent = vq_send_mails([$orderMail]);
    }
    if (!$sent) {
        vq_page(500, 'Senden fehlgeschlagen',
                'Ihre Angaben konnten nicht gesendet werden. Bitte versuchen Sie es später noch '
                . 'einmal.');
        return;
    }
    $thanks = vq_redirect_target($config, $text(VQ_FIELDS['danke']));
    if ($thanks !== null) {
        header('Location: ' . $thanks, true, 303);
        return;
    }
    vq_page(200, 'Vielen Dank', 'Ihre Angaben wurden gesendet.', false);
}

/** The page of a withdrawal received: when, and what was declared. */
function vq_withdrawal_received_page(string $received, array $values, bool $confirmationSent): void
{
    $e = fn(string $s): string => htmlspecialchars($s, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
    $rows = '';
    foreach (vq_withdrawal_rows($values) as [$label, $value]) {
        $rows .= '<tr><th scope="row">' . $e($label) . '</th><td>' . nl2br($e($value), false) . '</td></tr>';
    }
    header('Content-Type: text/html; charset=UTF-8');
    header('Cache-Control: no-store');
    echo "<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"UTF-8\">"
        . "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        . "<title>Widerruf eingegangen</title><style>body{font-family:sans-serif;max-width:40em;margin:2em auto;"
        . "padding:0 1em;line-height:1.5}th{text-align:left;padding-right:1em;vertical-align:top}</style></head>"
        . "<body><main><h1>Ihr Widerruf ist eingegangen</h1><p id=\"vqeingang\">Eingang: " . $e($received) . '</p>'
        . '<table>' . $rows . '</table>'
        . ($confirmationSent ? '<p>Eine Best&auml;tigung mit Datum und Uhrzeit geht an Ihre E-Mail-Adresse.</p>'
                             : '<p>Bitte bewahren Sie diese Seite als Best&auml;tigung auf.</p>')
        . "</main></body></html>\n";
}

/**
 * "Vertrag widerrufen": the withdrawal page's second step posts here. The
 * owner gets the withdrawal, the invoice module its document, the consumer at
 * once a confirmation with the date and time of receipt (limited per address).
 */
function vq_action_withdrawal(array $config): void
{
    if (!vq_post_within_bounds($config)) {
        return;
    }
    $raw = fn(string $name): string => isset($_POST[$name]) && is_string($_POST[$name]) ? $_POST[$name] : '';
    $encoding = $raw(VQ_FIELDS['encoding']);
    $text = fn(string $name): string => vq_posted_text($raw($name), $encoding);
    $dir = vq_storage_dir($config);
    $ip = (string)($_SERVER['REMOTE_ADDR'] ?? '');
    if (!vq_rate_limit_ok($dir, $ip, (int)($config['rate_limit_posts'] ?? 10),
                          (int)($config['rate_limit_seconds'] ?? 600))) {
        vq_page(429, 'Zu viele Anfragen', 'Von Ihrer Adresse wurden in kurzer Zeit zu viele Formulare gesendet. '
                . "Bitte versuchen Sie es sp\u{E4}ter noch einmal.");
        return;
    }
    if ($raw(VQ_WITHDRAWAL_FIELDS['step']) !== '2') {
        vq_page(400, 'Widerruf nicht bestätigt',
                "Bitte best\u{E4}tigen Sie den Widerruf auf der Widerrufsseite mit \u{201E}Widerruf best\u{E4}tigen\u{201C}.");
        return;
    }
    $now = time();
    $read = vq_withdrawal_read($text, $now);
    if ($read['error'] !== null) {
        vq_page(400, 'Widerruf unvollständig', $read['error']);
        return;
    }
    $addresses = vq_posted_recipients($config, $raw, $text);
    if ($addresses === null) {
        return;
    }
    [$recipients, $invoiceAddress] = $addresses;
    $from = vq_valid_address(vq_setting($config, 'mail_from')) ?? 'formmailer@localhost';
    $values = $read['values'];
    $shop = array_map('strtolower', array_merge($recipients, [$from, (string)$invoiceAddress]));
    $confirm = ($config['send_withdrawal_confirmation'] ?? true) && !in_array(strtolower($values['email']), $shop, true)
        && vq_confirmation_allowed($dir, $values['email'], vq_config_int($config, 'confirmation_limit', 5),
                                   vq_config_int($config, 'confirmation_limit_seconds', 86400));
    $mails = vq_withdrawal_mails($values, $recipients, $invoiceAddress, $from, $ip, $now,
                                 vq_setting($config, 'order_secret'), $confirm,
                                 vq_setting($config, 'withdrawal_subject', VQ_WITHDRAWAL_SUBJECT),
                                 vq_setting($config, 'withdrawal_text', VQ_WITHDRAWAL_TEXT));
    $sent = vq_send_mails([$mails['owner']]);
    if ($sent && isset($mails['invoice'])) {
        $sent = vq_send_mails([$mails['invoice']]);
    }
    if (!$sent) {
        vq_page(500, 'Senden fehlgeschlagen', 'Ihr Widerruf konnte nicht gesendet werden. Bitte versuchen Sie es '
                . "sp\u{E4}ter noch einmal oder senden Sie ihn per E-Mail.");
        return;
    }
    $confirmed = isset($mails['confirmation']) && vq_send_mails([$mails['confirmation']]);
    vq_withdrawal_received_page(vq_received_text($now), $values, $confirmed);
}

// A hostile post never shows a PHP message or a file path.
ini_set('display_errors', '0');
set_error_handler(function (int $severity, string $message, string $file, int $line): bool {
    if ((error_reporting() & $severity) === 0) {
        return false; // silenced with @ where a failure is expected and handled
    }
    throw new ErrorException($message, 0, $severity, $file, $line);
});
try {
    $config = vq_config();
    date_default_timezone_set(vq_setting($config, 'timezone', 'Europe/Berlin'));
    $action = is_string($_GET['action'] ?? null) ? $_GET['action'] : 'send';
    if ($action === 'captcha') {
        vq_action_captcha($config);
    } elseif ($action === 'checkurl') {
        vq_action_checkurl($config);
    } elseif ($action === 'widerruf') {
        vq_action_withdrawal($config);
    } else {
        vq_action_send($config);
    }
} catch (Throwable $error) {
    error_log('formmail.php: ' . $error->getMessage() . ' in ' . $error->getFile() . ':' . $error->getLine());
    if (!headers_sent()) {
        vq_page(500, 'Fehler', 'Das Formular konnte nicht verarbeitet werden. Bitte versuchen Sie es '
                . 'später noch einmal.');
    }
}
