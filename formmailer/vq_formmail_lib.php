<?php
// Functions of the form mailer that the stand-alone script formmail.php and the
// self-contained PHP form share: decoding the page's values, checking
// recipients and uploads, building the form mail and the order mail, and the
// captcha store. No output, no global state: the callers decide what to send.

declare(strict_types=1);

const VQ_SCRAMBLE_KEY = 0x2C;

/** File endings never accepted as uploads: they could run on a web server. */
const VQ_REFUSED_EXTENSIONS = [
    'php', 'php3', 'php4', 'php5', 'php7', 'php8', 'phtml', 'phar', 'pht', 'phps',
    'cgi', 'pl', 'py', 'rb', 'sh', 'bash', 'asp', 'aspx', 'jsp', 'shtml', 'htaccess',
    'htpasswd', 'exe', 'com', 'bat', 'cmd', 'js', 'vbs', 'scr', 'jar',
];

/** Undoes the page's scrambling: base64, then exclusive or of every byte with 0x2C. */
function vq_unscramble(string $value): string
{
    $bytes = base64_decode($value, true);
    if ($bytes === false) {
        return '';
    }
    $out = '';
    $n = strlen($bytes);
    for ($i = 0; $i < $n; $i++) {
        $out .= chr(ord($bytes[$i]) ^ VQ_SCRAMBLE_KEY);
    }
    // The scrambled bytes are ISO-8859-1.
    return vq_latin1_to_utf8($out);
}

function vq_latin1_to_utf8(string $bytes): string
{
    $converted = @iconv('ISO-8859-1', 'UTF-8', $bytes);
    return $converted === false ? '' : $converted;
}

/** A posted value as UTF-8, whatever encoding the page had. */
function vq_posted_text(string $value, string $pageEncoding): string
{
    if (strtolower($pageEncoding) === 'utf-8') {
        // Invalid UTF-8 becomes '?', never a broken mail.
        $clean = @iconv('UTF-8', 'UTF-8//IGNORE', $value);
        return $clean === false ? '' : $clean;
    }
    $converted = @iconv('Windows-1252', 'UTF-8//IGNORE', $value);
    return $converted === false ? '' : $converted;
}

/** UTF-8 text as Windows-1252 bytes; characters that code page lacks become '?'. */
function vq_to_windows1252(string $text): string
{
    $out = '';
    $len = strlen($text);
    // Convert character by character so one unknown character never ends the text.
    if (preg_match_all('/./us', $text, $chars) === false) {
        return '';
    }
    foreach ($chars[0] as $char) {
        $converted = @iconv('UTF-8', 'Windows-1252', $char);
        $out .= ($converted === false || $converted === '') ? '?' : $converted;
    }
    return $len === 0 ? '' : $out;
}

/** Text that may go into a mail header: no line breaks or other control characters. */
function vq_header_safe(string $text): string
{
    return trim((string)preg_replace('/[\x00-\x1F\x7F]+/u', ' ', $text));
}

/** A single, valid e-mail address, or null. */
function vq_valid_address(string $address): ?string
{
    $address = trim($address);
    if ($address === '' || preg_match('/[\r\n,;<>]/', $address)) {
        return null;
    }
    return filter_var($address, FILTER_VALIDATE_EMAIL) === false ? null : $address;
}

/**
 * Whether the configuration allows mail to this address. Entries are whole
 * addresses ("bestellung@example.com") or domains ("@example.com"), compared
 * without regard to letter case.
 */
function vq_recipient_allowed(string $address, array $allowed): bool
{
    $address = strtolower($address);
    $at = strrpos($address, '@');
    if ($at === false) {
        return false;
    }
    $domain = substr($address, $at);
    foreach ($allowed as $entry) {
        $entry = strtolower(trim((string)$entry));
        if ($entry === '') {
            continue;
        }
        if ($entry[0] === '@' ? $domain === $entry : $address === $entry) {
            return true;
        }
    }
    return false;
}

/** An address that a browser may be sent to: only http and https. */
function vq_safe_redirect(string $url): ?string
{
    $url = trim($url);
    if ($url === '' || preg_match('/[\x00-\x1F\x7F]/', $url)) {
        return null;
    }
    return preg_match('~^https?://[^\s/?#]+~i', $url) ? $url : null;
}

/** Whether an uploaded file's name is refused (executable on a web server, hidden). */
function vq_upload_name_refused(string $name, array $refusedExtensions): bool
{
    $base = basename(str_replace('\\', '/', $name));
    if ($base === '' || $base[0] === '.') {
        return true;
    }
    // Every dotted part counts: "bild.php.jpg" runs as PHP on some servers.
    $parts = explode('.', strtolower($base));
    array_shift($parts);
    foreach ($parts as $part) {
        if (in_array($part, $refusedExtensions, true)) {
            return true;
        }
    }
    return false;
}

/** A file name that is safe in a mail header and a file system. */
function vq_sanitize_upload_name(string $name): string
{
    $base = basename(str_replace('\\', '/', $name));
    $base = (string)preg_replace('/[^A-Za-z0-9._-]+/', '_', $base);
    $base = ltrim($base, '.');
    return $base === '' ? 'datei' : substr($base, 0, 120);
}

/** A posted decimal number with point or comma; null when it is none. */
function vq_number(string $text): ?float
{
    $text = str_replace(',', '.', trim($text));
    if (!preg_match('/^[+-]?(\d+(\.\d*)?|\.\d+)$/', $text)) {
        return null;
    }
    return (float)$text;
}

/** Money as the mails show it: two decimals with a comma, then the currency. */
function vq_money(float $amount, string $currency): string
{
    return number_format($amount, 2, ',', '.') . ($currency === '' ? '' : ' ' . $currency);
}

/** A number as the order document writes it: point, no thousands separator. */
function vq_plain_number(float $value): string
{
    $text = rtrim(rtrim(sprintf('%.6F', $value), '0'), '.');
    return $text === '-0' ? '0' : $text;
}

/**
 * The ordered lines of a post: every article i (0 <= i < count) whose quantity
 * b_anz<i> is above 0 (a ticked check box and a fixed-price article send 1).
 * Each line: number, name, price, vat, amount, options (name, value, price),
 * total (amount × (price + surcharges)).
 *
 * @param callable $text fn(string $name): string, the posted value as UTF-8
 */
function vq_order_lines(int $count, callable $text): array
{
    $lines = [];
    $count = max(0, min($count, 10000));
    for ($i = 0; $i < $count; $i++) {
        $amount = vq_number($text("b_anz$i"));
        if ($amount === null || $amount <= 0) {
            continue;
        }
        $amount = (int)floor($amount);
        if ($amount <= 0) {
            continue;
        }
        $price = vq_number($text("b_preis$i")) ?? 0.0;
        $vat = vq_number($text("b_mwst$i")) ?? 0.0;
        $options = [];
        $surcharges = 0.0;
        $optionCount = (int)(vq_number($text("b_opt_count$i")) ?? 0);
        $optionCount = max(0, min($optionCount, 1000));
        for ($j = 0; $j < $optionCount; $j++) {
            $type = $text("b_opt_type{$i}_{$j}");
            $value = $text("b_opt{$i}_{$j}");
            $surcharge = 0.0;
            if ($type === 'Price') {
                // The value key is name + "#" + surcharge.
                $hash = strrpos($value, '#');
                if ($hash !== false) {
                    $surcharge = vq_number(substr($value, $hash + 1)) ?? 0.0;
                    $value = substr($value, 0, $hash);
                }
            }
            $surcharges += $surcharge;
            $options[] = [
                'name' => $text("b_optname{$i}_{$j}"),
                'value' => $value,
                'price' => $surcharge,
            ];
        }
        $lines[] = [
            'number' => $text("b_bestnr$i"),
            'name' => $text("b_name$i"),
            'price' => $price,
            'vat' => $vat,
            'amount' => $amount,
            'options' => $options,
            'total' => $amount * ($price + $surcharges),
        ];
    }
    return $lines;
}

/** Total and VAT of the lines: brutto prices contain the VAT, netto adds it. */
function vq_order_totals(array $lines, string $taxMode): array
{
    $sum = 0.0;
    $vat = 0.0;
    $netto = strtolower($taxMode) === 'netto';
    foreach ($lines as $line) {
        $sum += $line['total'];
        $rate = $line['vat'];
        $vat += $netto ? $line['total'] * $rate / 100 : $line['total'] * $rate / ($rate + 100);
    }
    return ['vat' => $vat, 'total' => $netto ? $sum + $vat : $sum];
}

function vq_xml_text(string $text): string
{
    return htmlspecialchars($text, ENT_QUOTES | ENT_XML1 | ENT_SUBSTITUTE, 'UTF-8');
}

function vq_b64_1252(string $text): string
{
    return base64_encode(vq_to_windows1252($text));
}

/** A random identifier in the form of a UUID (version 4). */
function vq_new_uuid(): string
{
    $b = random_bytes(16);
    $b[6] = chr((ord($b[6]) & 0x0F) | 0x40);
    $b[8] = chr((ord($b[8]) & 0x3F) | 0x80);
    $h = bin2hex($b);
    return substr($h, 0, 8) . '-' . substr($h, 8, 4) . '-' . substr($h, 12, 4) . '-'
        . substr($h, 16, 4) . '-' . substr($h, 20);
}

/**
 * The XML order document the invoice module reads.
 *
 * @param array $customer values of Firma, Vorname, Nachname, Strasse, PLZ, Ort,
 *                        Land, email, Telefon, Homepage (UTF-8)
 * @param int $timestamp  seconds since 1970 in the shop's local time
 */
function vq_order_document(string $uuid, int $timestamp, array $customer, string $senderIp,
                           array $lines): string
{
    $nl = "\r\n";
    // No XML declaration: the order element is the document's first node.
    $xml = '<order>' . $nl . '<formdata>' . $nl;
    $xml .= '<uuid>' . vq_xml_text($uuid) . '</uuid>' . $nl;
    $xml .= '<timestamp>' . $timestamp . '</timestamp>' . $nl;
    foreach (['Firma', 'Vorname', 'Nachname', 'Strasse', 'PLZ', 'Ort', 'Land', 'email', 'Telefon',
              'Homepage'] as $key) {
        $xml .= "<$key>" . vq_b64_1252((string)($customer[$key] ?? '')) . "</$key>" . $nl;
    }
    $xml .= '<company>' . vq_xml_text($senderIp) . '</company>' . $nl;
    $xml .= '</formdata>' . $nl . '<articles>' . $nl;
    foreach ($lines as $line) {
        $xml .= '<article>' . $nl;
        $xml .= '<articleNumber>' . vq_b64_1252($line['number']) . '</articleNumber>' . $nl;
        $xml .= '<articleName>' . vq_b64_1252($line['name']) . '</articleName>' . $nl;
        $xml .= '<price>' . base64_encode(vq_plain_number($line['price'])) . '</price>' . $nl;
        $xml .= '<vat>' . base64_encode(vq_plain_number($line['vat'])) . '</vat>' . $nl;
        $xml .= '<amount>' . base64_encode((string)$line['amount']) . '</amount>' . $nl;
        $xml .= '<options>' . $nl;
        foreach ($line['options'] as $option) {
            $xml .= '<option name="' . vq_b64_1252($option['name']) . '" price="'
                . vq_plain_number($option['price']) . '">' . vq_b64_1252($option['value'])
                . '</option>' . $nl;
        }
        $xml .= '</options>' . $nl . '</article>' . $nl;
    }
    $xml .= '</articles>' . $nl . '</order>' . $nl;
    return $xml;
}

/**
 * Sends the order mail for the invoice module: the ordered lines of the post
 * as the XML order document, the customer taken from the fields Firma,
 * Vorname, Nachname, Strasse, PLZ, Ort, Land, email, Telefon and Homepage.
 * Nothing is sent when no line is ordered. Returns false when mail() fails.
 *
 * @param callable $text fn(string $name): string, the posted value as UTF-8
 */
function vq_send_order_mail(string $to, string $from, callable $text, int $articleCount,
                            string $senderIp): bool
{
    $lines = vq_order_lines($articleCount, $text);
    if ($lines === []) {
        return true;
    }
    $customer = [];
    foreach (['Firma', 'Vorname', 'Nachname', 'Strasse', 'PLZ', 'Ort', 'Land', 'email', 'Telefon',
              'Homepage'] as $key) {
        $customer[$key] = $text($key);
    }
    // The invoice module takes the time as local wall-clock seconds.
    $now = new DateTimeImmutable('now');
    $xml = vq_order_document(vq_new_uuid(), $now->getTimestamp() + $now->getOffset(), $customer,
                             $senderIp, $lines);
    $headers = "MIME-Version: 1.0\r\nFrom: " . vq_header_safe($from)
        . "\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit";
    return mail($to, 'VQBESTMAIL Bestellung', $xml, $headers);
}

/** A header value in RFC 2047 form when it is not plain ASCII. */
function vq_encode_header(string $text): string
{
    $text = vq_header_safe($text);
    if (!preg_match('/[^\x20-\x7E]/', $text)) {
        return $text;
    }
    return '=?UTF-8?B?' . base64_encode($text) . '?=';
}

/**
 * Builds a mail: returns [headers, body] for PHP's mail(). Attachments are
 * ['name' => ..., 'type' => ..., 'data' => bytes].
 */
function vq_build_mail(string $from, ?string $replyTo, bool $html, string $body,
                       array $attachments = []): array
{
    $headers = [
        'MIME-Version: 1.0',
        'From: ' . vq_header_safe($from),
        'X-Mailer: VQ-Bestellformular Formmailer',
    ];
    if ($replyTo !== null) {
        $headers[] = 'Reply-To: ' . vq_header_safe($replyTo);
    }
    $type = $html ? 'text/html' : 'text/plain';
    $textPart = "Content-Type: $type; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
        . chunk_split(base64_encode($body), 76, "\r\n");
    if ($attachments === []) {
        $headers[] = "Content-Type: $type; charset=UTF-8";
        $headers[] = 'Content-Transfer-Encoding: base64';
        return [implode("\r\n", $headers), chunk_split(base64_encode($body), 76, "\r\n")];
    }
    $boundary = 'vq-' . bin2hex(random_bytes(12));
    $headers[] = "Content-Type: multipart/mixed; boundary=\"$boundary\"";
    $mail = "--$boundary\r\n" . $textPart;
    foreach ($attachments as $file) {
        $name = vq_sanitize_upload_name($file['name']);
        $mime = preg_match('~^[\w.+-]+/[\w.+-]+$~', (string)$file['type'])
            ? $file['type'] : 'application/octet-stream';
        $mail .= "--$boundary\r\nContent-Type: $mime; name=\"$name\"\r\n"
            . "Content-Transfer-Encoding: base64\r\n"
            . "Content-Disposition: attachment; filename=\"$name\"\r\n\r\n"
            . chunk_split(base64_encode($file['data']), 76, "\r\n");
    }
    $mail .= "--$boundary--\r\n";
    return [implode("\r\n", $headers), $mail];
}

/**
 * The additional mail text: "#br#" becomes a line break and "{#Name#}" the
 * posted value of field Name.
 */
function vq_mail_text(string $template, callable $text): string
{
    $template = str_replace('#br#', "\n", $template);
    return (string)preg_replace_callback('/\{#([A-Za-z0-9_]+)#\}/',
        fn(array $m): string => $text($m[1]), $template);
}

// ---- captcha store: one file per form id in a private folder

function vq_storage_dir(array $config): ?string
{
    $dir = (string)($config['storage_dir'] ?? '');
    if ($dir === '') {
        return null;
    }
    if (!is_dir($dir) && !@mkdir($dir, 0700, true)) {
        return null;
    }
    return is_writable($dir) ? $dir : null;
}

function vq_valid_form_id(string $id): bool
{
    return preg_match('/^\d{1,10}$/', $id) === 1;
}

function vq_captcha_new_code(int $length = 5): string
{
    $alphabet = 'ABCDEFGHJKLMNPQRSTUVWXYZ23456789';
    $code = '';
    for ($i = 0; $i < $length; $i++) {
        $code .= $alphabet[random_int(0, strlen($alphabet) - 1)];
    }
    return $code;
}

function vq_captcha_store(string $dir, string $formId, string $code, int $lifetime): bool
{
    // Expired codes of other forms go first.
    foreach (glob($dir . '/captcha_*.txt') ?: [] as $file) {
        if (@filemtime($file) < time() - $lifetime) {
            @unlink($file);
        }
    }
    return @file_put_contents($dir . "/captcha_$formId.txt", $code, LOCK_EX) !== false;
}

/** Compares the typed code with the stored one, once: the code is gone afterwards. */
function vq_captcha_check(string $dir, string $formId, string $typed, int $lifetime): bool
{
    if (!vq_valid_form_id($formId)) {
        return false;
    }
    $file = $dir . "/captcha_$formId.txt";
    $code = @file_get_contents($file);
    $age = @filemtime($file);
    @unlink($file);
    if ($code === false || $age === false || $age < time() - $lifetime) {
        return false;
    }
    return $typed !== '' && hash_equals(strtoupper($code), strtoupper(trim($typed)));
}

/** A PNG image of the code (needs GD). */
function vq_captcha_png(string $code): string
{
    $w = 140;
    $h = 44;
    $img = imagecreatetruecolor($w, $h);
    imagefill($img, 0, 0, imagecolorallocate($img, 245, 245, 245));
    for ($i = 0; $i < 8; $i++) {
        $c = imagecolorallocate($img, random_int(150, 220), random_int(150, 220), random_int(150, 220));
        imageline($img, random_int(0, $w), random_int(0, $h), random_int(0, $w), random_int(0, $h), $c);
    }
    $x = 12;
    foreach (str_split($code) as $char) {
        $c = imagecolorallocate($img, random_int(0, 90), random_int(0, 90), random_int(0, 120));
        imagestring($img, 5, $x, random_int(6, 22), $char, $c);
        $x += 24;
    }
    ob_start();
    imagepng($img);
    imagedestroy($img);
    return (string)ob_get_clean();
}

/**
 * Counts a post of this sender and tells whether it is within the limit
 * (max_posts per per_seconds). Unknown storage: always within.
 */
function vq_rate_limit_ok(?string $dir, string $ip, int $maxPosts, int $perSeconds): bool
{
    if ($dir === null || $maxPosts <= 0) {
        return true;
    }
    $file = $dir . '/rate_' . hash('sha256', $ip) . '.txt';
    $now = time();
    $fp = @fopen($file, 'c+');
    if ($fp === false) {
        return true;
    }
    flock($fp, LOCK_EX);
    $times = array_filter(array_map('intval', explode("\n", (string)stream_get_contents($fp))),
        fn(int $t): bool => $t > $now - $perSeconds);
    $ok = count($times) < $maxPosts;
    if ($ok) {
        $times[] = $now;
    }
    ftruncate($fp, 0);
    rewind($fp);
    fwrite($fp, implode("\n", $times));
    flock($fp, LOCK_UN);
    fclose($fp);
    return $ok;
}
