<?php
// Functions of the form mailer that the stand-alone script formmail.php and the
// self-contained PHP form share: decoding the page's values, checking
// recipients, uploads, order lines and prices, building the form mail and the
// order mail, and the captcha store. No output, no global state: the callers
// decide what to send. Every posted value is the visitor's and may be hostile.

declare(strict_types=1);

const VQ_SCRAMBLE_KEY = 0x2C;

/** File endings never accepted as uploads, wherever they stand in the name. */
const VQ_REFUSED_EXTENSIONS = [
    'php', 'php3', 'php4', 'php5', 'php7', 'php8', 'phtml', 'phar', 'pht', 'phps',
    'cgi', 'pl', 'py', 'rb', 'sh', 'bash', 'asp', 'aspx', 'jsp', 'shtml', 'htaccess',
    'htpasswd', 'exe', 'com', 'bat', 'cmd', 'js', 'vbs', 'scr', 'jar', 'hta', 'htm', 'html',
    'lnk', 'msi', 'ps1', 'svg',
];

/**
 * Endings accepted as uploads unless the configuration names others. No csv:
 * a spreadsheet runs a cell such as "=cmd|' /C calc'!A0" when the owner opens
 * the attachment.
 */
const VQ_DEFAULT_UPLOAD_TYPES = ['pdf', 'jpg', 'jpeg', 'png', 'gif', 'webp', 'txt'];

/** The content type an attachment gets, by its ending; others are application/octet-stream. */
const VQ_CONTENT_TYPES = [
    'pdf' => 'application/pdf', 'jpg' => 'image/jpeg', 'jpeg' => 'image/jpeg', 'png' => 'image/png',
    'gif' => 'image/gif', 'webp' => 'image/webp', 'tif' => 'image/tiff', 'tiff' => 'image/tiff',
    'heic' => 'image/heic', 'txt' => 'text/plain', 'csv' => 'text/csv',
    'docx' => 'application/vnd.openxmlformats-officedocument.wordprocessingml.document',
    'xlsx' => 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet',
    'pptx' => 'application/vnd.openxmlformats-officedocument.presentationml.presentation',
    'odt' => 'application/vnd.oasis.opendocument.text',
    'ods' => 'application/vnd.oasis.opendocument.spreadsheet',
    'zip' => 'application/zip', 'mp3' => 'audio/mpeg', 'mp4' => 'video/mp4',
];

/** Bounds of a post; the configuration may lower or raise them. */
const VQ_LIMITS = [
    'max_field_length' => 32768,    // bytes of one posted value
    'max_post_text' => 262144,      // bytes of all posted values together
    'max_order_lines' => 500,       // articles of one form
    'max_options' => 50,            // options of one article
    'max_quantity' => 100000,       // pieces of one line
];

/** Largest price or surcharge accepted (exclusive). */
const VQ_MAX_PRICE = 1000000000.0;

// ---- posted text

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

/** One character as UTF-8, or '' for code points that have no place in text. */
function vq_code_point_utf8(int $cp): string
{
    if ($cp === 0x09 || $cp === 0x0A || $cp === 0x0D) {
        return chr($cp);
    }
    if ($cp < 0x20 || ($cp >= 0x7F && $cp < 0xA0) || ($cp >= 0xD800 && $cp <= 0xDFFF)
        || $cp > 0x10FFFF) {
        return '';
    }
    if ($cp < 0x80) {
        return chr($cp);
    }
    if ($cp < 0x800) {
        return chr(0xC0 | ($cp >> 6)) . chr(0x80 | ($cp & 0x3F));
    }
    if ($cp < 0x10000) {
        return chr(0xE0 | ($cp >> 12)) . chr(0x80 | (($cp >> 6) & 0x3F)) . chr(0x80 | ($cp & 0x3F));
    }
    return chr(0xF0 | ($cp >> 18)) . chr(0x80 | (($cp >> 12) & 0x3F)) . chr(0x80 | (($cp >> 6) & 0x3F))
        . chr(0x80 | ($cp & 0x3F));
}

/**
 * Browsers post characters a windows-1252 page cannot carry as "&#321;" or
 * "&#x141;": those become the characters again. References to control
 * characters or to nothing are dropped.
 */
function vq_decode_references(string $text): string
{
    if (strpos($text, '&#') === false) {
        return $text;
    }
    return (string)preg_replace_callback('/&#(?:([0-9]{1,7})|[xX]([0-9A-Fa-f]{1,6}));/',
        function (array $m): string {
            $cp = ($m[1] ?? '') !== '' ? (int)$m[1] : (int)hexdec($m[2]);
            return vq_code_point_utf8($cp);
        }, $text);
}

/** A posted value as UTF-8, whatever encoding the page had; no control characters but tab and line breaks. */
function vq_posted_text(string $value, string $pageEncoding): string
{
    if (strtolower(trim($pageEncoding)) === 'utf-8') {
        // Invalid UTF-8 is dropped, never a broken mail.
        $clean = preg_match('//u', $value) === 1 ? $value : @iconv('UTF-8', 'UTF-8//IGNORE', $value);
        if ($clean === false) {
            // Some iconv builds give up on invalid input even when told to ignore it.
            $clean = (string)preg_replace('/[\x80-\xFF]/', '', $value);
        }
    } else {
        $clean = @iconv('Windows-1252', 'UTF-8//IGNORE', $value);
        $clean = $clean === false ? false : vq_decode_references($clean);
    }
    if ($clean === false) {
        return '';
    }
    return (string)preg_replace('/[\x00-\x08\x0B\x0C\x0E-\x1F\x7F]/', '', $clean);
}

/**
 * Readable Windows-1252 stand-ins for letters of Central and Eastern European
 * names, used when iconv cannot transliterate.
 */
const VQ_TRANSLIT = [
    "\u{100}" => 'A', "\u{101}" => 'a', "\u{102}" => 'A', "\u{103}" => 'a', "\u{104}" => 'A', "\u{105}" => 'a',
    "\u{106}" => 'C', "\u{107}" => 'c', "\u{10C}" => 'C', "\u{10D}" => 'c', "\u{10E}" => 'D', "\u{10F}" => 'd',
    "\u{110}" => 'D', "\u{111}" => 'd', "\u{112}" => 'E', "\u{113}" => 'e', "\u{116}" => 'E', "\u{117}" => 'e',
    "\u{118}" => 'E', "\u{119}" => 'e', "\u{11A}" => 'E', "\u{11B}" => 'e', "\u{11E}" => 'G', "\u{11F}" => 'g',
    "\u{122}" => 'G', "\u{123}" => 'g', "\u{12A}" => 'I', "\u{12B}" => 'i', "\u{12E}" => 'I', "\u{12F}" => 'i',
    "\u{130}" => 'I', "\u{131}" => 'i', "\u{136}" => 'K', "\u{137}" => 'k', "\u{139}" => 'L', "\u{13A}" => 'l',
    "\u{13B}" => 'L', "\u{13C}" => 'l', "\u{13D}" => 'L', "\u{13E}" => 'l', "\u{141}" => 'L', "\u{142}" => 'l',
    "\u{143}" => 'N', "\u{144}" => 'n', "\u{145}" => 'N', "\u{146}" => 'n', "\u{147}" => 'N', "\u{148}" => 'n',
    "\u{14C}" => 'O', "\u{14D}" => 'o', "\u{150}" => 'O', "\u{151}" => 'o', "\u{154}" => 'R', "\u{155}" => 'r',
    "\u{158}" => 'R', "\u{159}" => 'r', "\u{15A}" => 'S', "\u{15B}" => 's', "\u{15E}" => 'S', "\u{15F}" => 's',
    "\u{218}" => 'S', "\u{219}" => 's', "\u{162}" => 'T', "\u{163}" => 't', "\u{21A}" => 'T', "\u{21B}" => 't',
    "\u{164}" => 'T', "\u{165}" => 't', "\u{16A}" => 'U', "\u{16B}" => 'u', "\u{16E}" => 'U', "\u{16F}" => 'u',
    "\u{170}" => 'U', "\u{171}" => 'u', "\u{172}" => 'U', "\u{173}" => 'u', "\u{179}" => 'Z', "\u{17A}" => 'z',
    "\u{17B}" => 'Z', "\u{17C}" => 'z', "\u{1E9E}" => 'SS', "\u{2010}" => '-', "\u{2011}" => '-', "\u{2012}" => '-',
    "\u{2015}" => '-', "\u{2212}" => '-', "\u{00A0}" => ' ', "\u{2009}" => ' ', "\u{202F}" => ' ', "\u{2033}" => '"',
];

/**
 * UTF-8 text as Windows-1252 bytes: every character that code page has stays,
 * the others are transliterated (L with stroke to "L", r with caron to "r"), and what has no
 * readable stand-in becomes "?".
 */
function vq_to_windows1252(string $text): string
{
    if ($text === '') {
        return '';
    }
    $whole = @iconv('UTF-8', 'Windows-1252', $text);
    if ($whole !== false) {
        return $whole;
    }
    // Only the characters the code page lacks need work; the rest is converted in runs.
    $parts = preg_split('/([^\x{0}-\x{FF}\x{152}\x{153}\x{160}\x{161}\x{178}\x{17D}\x{17E}\x{192}'
        . '\x{2C6}\x{2DC}\x{2013}\x{2014}\x{2018}-\x{201A}\x{201C}-\x{201E}\x{2020}-\x{2022}\x{2026}'
        . '\x{2030}\x{2039}\x{203A}\x{20AC}\x{2122}])/u', $text, -1, PREG_SPLIT_DELIM_CAPTURE);
    if ($parts === false) {
        return '';
    }
    $out = '';
    foreach ($parts as $index => $part) {
        if ($part === '') {
            continue;
        }
        if ($index % 2 === 0) {
            $converted = @iconv('UTF-8', 'Windows-1252//IGNORE', $part);
            $out .= $converted === false ? '' : $converted;
            continue;
        }
        if (isset(VQ_TRANSLIT[$part])) {
            $out .= VQ_TRANSLIT[$part];
            continue;
        }
        $converted = @iconv('UTF-8', 'Windows-1252//TRANSLIT', $part);
        $out .= ($converted === false || $converted === '' || strlen($converted) > 4) ? '?' : $converted;
    }
    return $out;
}

/** Text that may go into a mail header: no line breaks or other control characters. */
function vq_header_safe(string $text): string
{
    return trim((string)preg_replace('/[\x00-\x1F\x7F]+/', ' ', $text));
}

/** At most $max characters of UTF-8 text. */
function vq_cut(string $text, int $max): string
{
    if (strlen($text) <= $max) {
        return $text;
    }
    return preg_match('/^.{0,' . $max . '}/us', $text, $m) ? $m[0] : '';
}

// ---- addresses and redirects

/**
 * A single, plain e-mail address, or null. Quotes, "%", "!", comments, address
 * literals and several "@" are refused: they could route a mail elsewhere
 * than the domain the allowed list names.
 */
function vq_valid_address(string $address): ?string
{
    $address = trim($address);
    if (strlen($address) > 254
        || !preg_match('/^[A-Za-z0-9_+-]+(?:\.[A-Za-z0-9_+-]+)*@(?:[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?\.)+[A-Za-z]{2,63}$/D',
                       $address)) {
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
    if (vq_valid_address($address) === null) {
        return false;
    }
    $address = strtolower($address);
    $at = strrpos($address, '@');
    $domain = substr($address, (int)$at);
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

/**
 * An address that a browser may be sent to: http or https, and a host that
 * is the script's own ($ownHost) or listed in $allowedHosts. Anything else is
 * null, so the script never leads a visitor to a stranger's page.
 */
function vq_safe_redirect(string $url, string $ownHost = '', array $allowedHosts = []): ?string
{
    $url = trim($url);
    if ($url === '' || strlen($url) > 2000 || preg_match('/[\x00-\x20\x7F\\\\]/', $url)
        || !preg_match('~^https?://~i', $url)) {
        return null;
    }
    $parts = parse_url($url);
    if (!is_array($parts) || !isset($parts['host']) || isset($parts['user']) || isset($parts['pass'])) {
        return null;
    }
    $host = strtolower(rtrim($parts['host'], '.'));
    $hosts = array_map(fn($h): string => strtolower(trim((string)$h)), $allowedHosts);
    $own = strtolower(trim($ownHost));
    // HTTP_HOST may carry a port.
    if ($own !== '' && !str_starts_with($own, '[') && substr_count($own, ':') === 1) {
        $own = substr($own, 0, (int)strpos($own, ':'));
    } elseif (str_starts_with($own, '[')) {
        $own = substr($own, 0, (int)strpos($own, ']') + 1);
    }
    if ($host === '' || ($host !== $own && !in_array($host, $hosts, true))) {
        return null;
    }
    return $url;
}

// ---- uploads

/** The ending of a file name (lower case, without the dot), '' for none. */
function vq_upload_extension(string $name): string
{
    $base = basename(str_replace('\\', '/', $name));
    $dot = strrpos($base, '.');
    return $dot === false ? '' : strtolower(substr($base, $dot + 1));
}

/**
 * Whether an uploaded file's name is refused: hidden, an ending outside the
 * allowed list ($allowedTypes; empty: any), or an ending that could run on a
 * server anywhere in the name ("bild.php.jpg").
 */
function vq_upload_name_refused(string $name, array $refusedExtensions, array $allowedTypes = []): bool
{
    $base = basename(str_replace('\\', '/', $name));
    if ($base === '' || $base[0] === '.' || preg_match('/[\x00-\x1F]/', $base)) {
        return true;
    }
    $parts = explode('.', strtolower(rtrim($base, '. ')));
    array_shift($parts);
    foreach ($parts as $part) {
        if (in_array(trim($part), $refusedExtensions, true)) {
            return true;
        }
    }
    if ($allowedTypes === []) {
        return false;
    }
    $allowed = array_map(fn($t): string => strtolower(ltrim(trim((string)$t), '.')), $allowedTypes);
    return $parts === [] || !in_array(end($parts), $allowed, true);
}

/** The content type of an attachment, taken from its ending, never from the visitor. */
function vq_upload_content_type(string $name): string
{
    return VQ_CONTENT_TYPES[vq_upload_extension($name)] ?? 'application/octet-stream';
}

/** A file name that is safe in a mail header and a file system. */
function vq_sanitize_upload_name(string $name): string
{
    $base = basename(str_replace('\\', '/', $name));
    $base = (string)preg_replace('/[^A-Za-z0-9._-]+/', '_', $base);
    $base = ltrim($base, '.');
    return $base === '' ? 'datei' : substr($base, -120);
}

/**
 * Checks the uploads of a post ($files: PHP's $_FILES) and reads them.
 * Returns ['attachments' => [...], 'refused' => null] or the refused name.
 */
function vq_read_uploads(array $files, int $maxSize, int $maxTotal, array $refusedExtensions,
                         array $allowedTypes): array
{
    $attachments = [];
    $total = 0;
    foreach ($files as $file) {
        // Arrays of files ("datei[]") are no field of a generated page.
        if (!is_array($file) || !isset($file['error']) || is_array($file['error'])
            || !is_string($file['name'] ?? null) || !is_string($file['tmp_name'] ?? null)) {
            return ['attachments' => [], 'refused' => 'datei'];
        }
        if ($file['error'] === UPLOAD_ERR_NO_FILE) {
            continue;
        }
        $name = $file['name'];
        $size = (int)($file['size'] ?? 0);
        $total += $size;
        if ($file['error'] !== UPLOAD_ERR_OK || !is_uploaded_file($file['tmp_name']) || $size > $maxSize
            || $total > $maxTotal || count($attachments) >= 20
            || vq_upload_name_refused($name, $refusedExtensions, $allowedTypes)) {
            return ['attachments' => [], 'refused' => $name];
        }
        $data = @file_get_contents($file['tmp_name']);
        if ($data === false) {
            return ['attachments' => [], 'refused' => $name];
        }
        $attachments[] = ['name' => $name, 'type' => vq_upload_content_type($name), 'data' => $data];
    }
    return ['attachments' => $attachments, 'refused' => null];
}

// ---- numbers and order lines

/**
 * A posted amount: digits with an optional point or comma and decimals, no
 * sign, no exponent, no grouping. Null when it is none.
 */
function vq_number(string $text): ?float
{
    $text = trim($text);
    if (!preg_match('/^\d{1,12}(?:[.,]\d{1,12})?$/D', $text)) {
        return null;
    }
    return (float)str_replace(',', '.', $text);
}

/** Money as the mails show it: two decimals with a comma, then the currency. */
function vq_money(float $amount, string $currency): string
{
    return number_format($amount, 2, ',', '.') . ($currency === '' ? '' : ' ' . $currency);
}

/** A number as the order document writes it: point, no thousands separator, up to 6 decimals. */
function vq_plain_number(float $value): string
{
    $text = rtrim(rtrim(sprintf('%.6F', $value), '0'), '.');
    return $text === '-0' ? '0' : $text;
}

// ---- money: the one rule of the page, the form mailer and the invoice module
//
// Amounts are exact decimals, read from the posted text, never through a
// float: prices, surcharges and VAT rates as integers of millionths, sums of
// money as integers of cents. Every rounding is half away from zero, to the
// cent. A line is quantity x (price + surcharges of its price options); per
// VAT rate r the sum S of its rounded lines gives the VAT, round(S x r / (100
// + r)) when the prices contain it (brutto) and round(S x r / 100) when they
// do not (netto); the total is the sum of the rates' gross amounts, so what
// the mails print adds up.

const VQ_MILLIONTHS_PER_UNIT = 1000000;
const VQ_MILLIONTHS_PER_CENT = 10000;

/** Largest line total accepted, in cents (1,000,000,000.00). */
const VQ_MAX_LINE_CENTS = 100000000000;

/**
 * A posted amount (as vq_number() accepts it) in millionths, read from its
 * digits; decimals beyond the sixth are rounded half away from zero. Null
 * when it is none.
 */
function vq_millionths(string $text): ?int
{
    if (!preg_match('/^(\d{1,12})(?:[.,](\d{1,12}))?$/D', trim($text), $m)) {
        return null;
    }
    $decimals = $m[2] ?? '';
    $value = (int)$m[1] * VQ_MILLIONTHS_PER_UNIT + (int)str_pad(substr($decimals, 0, 6), 6, '0');
    return strlen($decimals) > 6 && $decimals[6] >= '5' ? $value + 1 : $value;
}

/** $numerator / $denominator rounded half away from zero; $denominator above 0. */
function vq_div_round(int $numerator, int $denominator): int
{
    $magnitude = $numerator < 0 ? -$numerator : $numerator;
    $whole = intdiv($magnitude, $denominator);
    if (2 * ($magnitude % $denominator) >= $denominator) {
        $whole++;
    }
    return $numerator < 0 ? -$whole : $whole;
}

/**
 * $a x $b / $d rounded half away from zero, for $a and $b not below 0 and $d
 * above 0 (a sum of cents times a VAT rate in millionths), without the
 * intermediate product that would overflow.
 */
function vq_mul_div_round(int $a, int $b, int $d): int
{
    return intdiv($a, $d) * $b + vq_div_round(($a % $d) * $b, $d);
}

/** Millionths as a plain number: point, no thousands separator, no trailing zeros ("12.5", "-8.9", "19"). */
function vq_millionths_text(int $value, string $point = '.'): string
{
    $magnitude = $value < 0 ? -$value : $value;
    $decimals = rtrim(sprintf('%06d', $magnitude % VQ_MILLIONTHS_PER_UNIT), '0');
    return ($value < 0 ? '-' : '') . intdiv($magnitude, VQ_MILLIONTHS_PER_UNIT)
        . ($decimals === '' ? '' : $point . $decimals);
}

/** Cents as the mails show money: thousands with a point, two decimals with a comma, then the currency. */
function vq_money_cents(int $cents, string $currency): string
{
    $magnitude = $cents < 0 ? -$cents : $cents;
    return ($cents < 0 ? '-' : '') . number_format(intdiv($magnitude, 100), 0, ',', '.') . ','
        . sprintf('%02d', $magnitude % 100) . ($currency === '' ? '' : ' ' . $currency);
}

/** A setting of the configuration with its default bound. */
function vq_limit(array $config, string $key): int
{
    return max(1, (int)($config[$key] ?? VQ_LIMITS[$key]));
}

/**
 * Checks the size of a post before anything else reads it: every value at
 * most max_field_length bytes, all together at most max_post_text. Returns
 * null or a German reason.
 */
function vq_post_size_error(array $post, array $config): ?string
{
    $maxField = vq_limit($config, 'max_field_length');
    $maxTotal = vq_limit($config, 'max_post_text');
    $total = 0;
    $stack = [$post];
    $count = 0;
    while ($stack !== []) {
        foreach (array_pop($stack) as $name => $value) {
            if (++$count > 5000) {
                return "Das Formular enth\u{E4}lt zu viele Felder.";
            }
            $total += strlen((string)$name);
            if (is_array($value)) {
                $stack[] = $value;
                continue;
            }
            $length = strlen((string)$value);
            if ($length > $maxField) {
                return "Ein Eingabefeld enth\u{E4}lt zu viel Text.";
            }
            $total += $length;
        }
        if ($total > $maxTotal) {
            return "Das Formular enth\u{E4}lt zu viel Text.";
        }
    }
    return null;
}

/**
 * The ordered lines of a post: every article i below $count whose quantity
 * b_anz<i> was posted and is above 0 (a ticked check box and a fixed-price
 * article send 1). Works only on what was posted and refuses what no
 * number reader accepts, negative amounts, VAT rates outside 0 to 100, the
 * same price option with the same value twice in one line, and a line above
 * 1,000,000,000.00.
 *
 * Each line: number, name, price, vat (floats, as posted), price_millionths,
 * vat_millionths, amount, options (name, value, price as a float,
 * price_millionths, type), total_cents: amount x (price + surcharges),
 * rounded to the cent by the money rule.
 * Returns ['lines' => [...], 'error' => null] or a German error.
 *
 * @param array    $names posted field names
 * @param callable $text  fn(string $name): string, the posted value as UTF-8
 */
function vq_order_lines(int $count, array $names, callable $text, array $config = []): array
{
    $fail = fn(string $why): array => ['lines' => [], 'error' => $why];
    $badSurcharge = "Die Bestellung enth\u{E4}lt einen ung\u{FC}ltigen Aufpreis.";
    $tooHigh = "Die Bestellung enth\u{E4}lt einen zu hohen Betrag.";
    $count = max(0, min($count, vq_limit($config, 'max_order_lines')));
    $maxOptions = vq_limit($config, 'max_options');
    $maxQuantity = vq_limit($config, 'max_quantity');
    $maxPrice = (int)VQ_MAX_PRICE * VQ_MILLIONTHS_PER_UNIT;
    $ordered = [];
    $optionKeys = [];
    foreach ($names as $name) {
        $name = (string)$name;
        if (preg_match('/^b_anz(0|[1-9]\d{0,5})$/D', $name, $m) && (int)$m[1] < $count) {
            $ordered[(int)$m[1]] = true;
        } elseif (preg_match('/^b_(?:opt_type|optname|opt)(0|[1-9]\d{0,5})_(0|[1-9]\d{0,5})$/D', $name, $m)) {
            $optionKeys[(int)$m[1]][(int)$m[2]] = true;
        }
    }
    ksort($ordered);
    $lines = [];
    foreach (array_keys($ordered) as $i) {
        $quantityText = trim($text("b_anz$i"));
        if ($quantityText === '') {
            continue;
        }
        // A whole number of pieces; "2.0" is 2.
        if (!preg_match('/^(\d{1,12})(?:[.,]0{1,12})?$/D', $quantityText, $m) || (int)$m[1] > $maxQuantity) {
            return $fail("Die Bestellung enth\u{E4}lt eine ung\u{FC}ltige Menge.");
        }
        $amount = (int)$m[1];
        if ($amount === 0) {
            continue;
        }
        $priceText = $text("b_preis$i");
        $vatText = $text("b_mwst$i");
        $price = vq_millionths($priceText);
        $vat = vq_millionths($vatText);
        if ($price === null || $price >= $maxPrice) {
            return $fail("Die Bestellung enth\u{E4}lt einen ung\u{FC}ltigen Preis.");
        }
        // Compared as written: "100.0000001" is above 100 even where millionths round it to 100.
        if ($vat === null || vq_number($vatText) > 100) {
            return $fail("Die Bestellung enth\u{E4}lt einen ung\u{FC}ltigen Mehrwertsteuersatz.");
        }
        $optionCount = vq_number($text("b_opt_count$i")) ?? 0.0;
        $optionCount = (int)max(0, min($optionCount, $maxOptions));
        $options = [];
        $unit = $price;
        $chosen = [];
        $posted = array_keys($optionKeys[$i] ?? []);
        sort($posted);
        foreach ($posted as $j) {
            if ($j >= $optionCount) {
                continue;
            }
            $type = $text("b_opt_type{$i}_{$j}");
            $optionName = $text("b_optname{$i}_{$j}");
            $value = $text("b_opt{$i}_{$j}");
            $surcharge = 0;
            if ($type === 'Price') {
                // The value key is the value's text, "#" and the surcharge.
                $hash = strrpos($value, '#');
                // A surcharge may be negative: a discount the designer allows.
                $key = $hash === false ? '' : trim(substr($value, $hash + 1));
                $negative = str_starts_with($key, '-');
                $surcharge = $hash === false ? null : vq_millionths($negative ? substr($key, 1) : $key);
                if ($surcharge === null || $surcharge >= $maxPrice) {
                    return $fail($badSurcharge);
                }
                $surcharge = $negative ? -$surcharge : $surcharge;
                // The same choice twice would count its surcharge (or discount) twice.
                $choice = $optionName . "\0" . $value;
                if (isset($chosen[$choice])) {
                    return $fail($badSurcharge);
                }
                $chosen[$choice] = true;
                $value = substr($value, 0, (int)$hash);
            }
            $unit += $surcharge;
            $options[] = [
                'name' => $optionName,
                'value' => $value,
                'price' => (float)$surcharge / VQ_MILLIONTHS_PER_UNIT,
                'price_millionths' => $surcharge,
                'type' => $type,
            ];
        }
        // Discounts never make a piece cost less than nothing.
        if (!is_int($unit) || $unit < 0) {
            return $fail($badSurcharge);
        }
        // PHP turns an int product that overflows into a float.
        $exact = $amount * $unit;
        if (!is_int($exact)) {
            return $fail($tooHigh);
        }
        $total = vq_div_round($exact, VQ_MILLIONTHS_PER_CENT);
        if ($total > VQ_MAX_LINE_CENTS) {
            return $fail($tooHigh);
        }
        $lines[] = [
            'number' => $text("b_bestnr$i"),
            'name' => $text("b_name$i"),
            'price' => (float)str_replace(',', '.', trim($priceText)),
            'vat' => (float)str_replace(',', '.', trim($vatText)),
            'price_millionths' => $price,
            'vat_millionths' => $vat,
            'amount' => $amount,
            'options' => $options,
            'total_cents' => $total,
        ];
    }
    return ['lines' => $lines, 'error' => null];
}

/**
 * Net, VAT and gross of the lines by the money rule, in cents: per VAT rate
 * (rising; 'rate' in millionths) and together (net, vat, total), and the
 * mode ('netto' true or false). Brutto prices contain the VAT, netto prices
 * get it added.
 */
function vq_order_totals(array $lines, string $taxMode): array
{
    $netto = vq_is_netto($taxMode);
    $sums = [];
    foreach ($lines as $line) {
        $rate = $line['vat_millionths'];
        $sums[$rate] = ($sums[$rate] ?? 0) + $line['total_cents'];
    }
    ksort($sums);
    $hundred = 100 * VQ_MILLIONTHS_PER_UNIT;
    $totals = ['netto' => $netto, 'rates' => [], 'net' => 0, 'vat' => 0, 'total' => 0];
    foreach ($sums as $rate => $sum) {
        $vat = vq_mul_div_round($sum, $rate, $netto ? $hundred : $hundred + $rate);
        $net = $netto ? $sum : $sum - $vat;
        $gross = $netto ? $sum + $vat : $sum;
        $totals['rates'][] = ['rate' => $rate, 'net' => $net, 'vat' => $vat, 'gross' => $gross];
        $totals['net'] += $net;
        $totals['vat'] += $vat;
        $totals['total'] += $gross;
    }
    return $totals;
}

function vq_is_netto(string $taxMode): bool
{
    return strtolower(trim($taxMode)) === 'netto';
}

// ---- price list

/**
 * Reads the price list the designer writes ("zelkin --price-list"). Returns
 * ['state' => 'none'] when the file does not exist, ['state' => 'ok',
 * 'articles' => [...]] or ['state' => 'broken', 'error' => German reason].
 */
function vq_price_list_load(string $file): array
{
    if ($file === '' || !file_exists($file)) {
        return ['state' => 'none'];
    }
    $broken = fn(string $why): array => ['state' => 'broken', 'error' => $why];
    $size = @filesize($file);
    if ($size === false || $size > 16 * 1024 * 1024) {
        return $broken("Die Preisliste ist nicht lesbar oder zu gro\u{DF}.");
    }
    $json = @file_get_contents($file);
    if ($json === false) {
        return $broken('Die Preisliste ist nicht lesbar.');
    }
    $data = json_decode($json, true, 16);
    if (!is_array($data) || ($data['format'] ?? null) !== 'vq-preisliste' || ($data['version'] ?? null) !== 1
        || !is_array($data['articles'] ?? null)) {
        return $broken('Die Preisliste hat nicht das erwartete Format (vq-preisliste, Version 1).');
    }
    // The texts stand in the page as attribute values, which the browser posts
    // with their character references decoded ("Seife &amp; Co" as "Seife & Co").
    $decoded = fn(string $t): string => html_entity_decode($t, ENT_QUOTES | ENT_HTML5, 'UTF-8');
    $isNumber = fn($v): bool => is_string($v) && preg_match('/^-?\d{1,12}(?:\.\d{1,12})?$/D', $v) === 1;
    $articles = [];
    foreach ($data['articles'] as $article) {
        if (!is_array($article) || !is_string($article['number'] ?? null) || !is_string($article['name'] ?? null)
            || !$isNumber($article['price'] ?? null) || !$isNumber($article['vat'] ?? null)) {
            return $broken("Ein Artikel der Preisliste ist unvollst\u{E4}ndig.");
        }
        $options = [];
        foreach ((array)($article['options'] ?? []) as $option) {
            if (!is_array($option) || !is_string($option['name'] ?? null) || !is_array($option['values'] ?? null)) {
                return $broken("Eine Option der Preisliste ist unvollst\u{E4}ndig.");
            }
            $values = [];
            foreach ($option['values'] as $value) {
                if (!is_array($value) || !is_string($value['text'] ?? null) || !$isNumber($value['surcharge'] ?? null)) {
                    return $broken("Ein Optionswert der Preisliste ist unvollst\u{E4}ndig.");
                }
                $values[] = ['text' => $decoded($value['text']), 'surcharge' => (float)$value['surcharge']];
            }
            $options[] = ['name' => $decoded($option['name']), 'values' => $values];
        }
        // A list written before fixed-price articles were marked has none.
        $fixed = $article['fixed'] ?? false;
        if (!is_bool($fixed)) {
            return $broken("Ein Artikel der Preisliste ist unvollst\u{E4}ndig.");
        }
        $articles[] = ['number' => $decoded($article['number']), 'name' => $decoded($article['name']),
                       'price' => (float)$article['price'], 'vat' => (float)$article['vat'],
                       'fixed' => $fixed, 'options' => $options];
    }
    // Optional: the VAT mode of the prices ("brutto" or "netto").
    $tax = $data['tax'] ?? null;
    if ($tax !== null && !in_array($tax, ['brutto', 'netto'], true)) {
        return $broken('Die Preisliste nennt eine unbekannte Steuerart.');
    }
    return ['state' => 'ok', 'articles' => $articles, 'tax' => $tax];
}

/** Whether two amounts are equal as numbers. */
function vq_same_amount(float $a, float $b): bool
{
    return abs($a - $b) < 0.000001;
}

/**
 * Compares the ordered lines with the price list: every line must name an
 * article of the list (number, name, price and VAT) and carry its price
 * options as vq_price_options_match() demands. A fixed-price article of the
 * list ("fixed", such as shipping) must be in every order, once and as one
 * piece. When the list names the VAT mode ("tax"), the page's must be the
 * same. Returns null or a German reason.
 */
function vq_price_list_error(array $lines, array $priceList, string $taxMode = ''): ?string
{
    if ($lines === [] || $priceList['state'] === 'none') {
        return null;
    }
    if ($priceList['state'] !== 'ok') {
        return "Bestellungen sind zurzeit nicht m\u{F6}glich: " . $priceList['error']
            . ' Bitte benachrichtigen Sie den Betreiber der Seite.';
    }
    $refused = "Die Preise der Bestellung stimmen nicht mit der Preisliste des Shops \u{FC}berein. "
        . 'Bitte laden Sie das Formular neu.';
    if ($priceList['tax'] !== null && vq_is_netto($priceList['tax']) !== vq_is_netto($taxMode)) {
        return $refused;
    }
    // The fixed-price articles no line has taken yet, by their place in the list.
    $fixedOpen = [];
    foreach ($priceList['articles'] as $index => $article) {
        if ($article['fixed']) {
            $fixedOpen[$index] = true;
        }
    }
    foreach ($lines as $line) {
        // A line of one piece takes an open fixed-price article first; any
        // other line must be an article of its own (a second shipping line,
        // or shipping times three, is none).
        $match = null;
        foreach ($priceList['articles'] as $index => $article) {
            if ($article['number'] !== $line['number'] || $article['name'] !== $line['name']
                || !vq_same_amount($article['price'], $line['price'])
                || !vq_same_amount($article['vat'], $line['vat'])) {
                continue;
            }
            if ($article['fixed'] ? $line['amount'] === 1 && isset($fixedOpen[$index]) : $match === null) {
                $match = $index;
                if ($article['fixed']) {
                    break;
                }
            }
        }
        if ($match === null || !vq_price_options_match($line['options'], $priceList['articles'][$match]['options'])) {
            return $refused;
        }
        unset($fixedOpen[$match]);
    }
    // Leaving shipping out of the post would leave it out of the order.
    return $fixedOpen === [] ? null : $refused;
}

/**
 * Whether the options posted for a line are the listed price options of its
 * article: each posted price option is a listed option of that name with one
 * of its values and its surcharge, each listed option is taken at most once,
 * and each listed option that has values exactly once. A listed name posted
 * as a text option is refused too: it would carry no surcharge.
 */
function vq_price_options_match(array $posted, array $listed): bool
{
    $listedNames = array_column($listed, 'name');
    $priced = [];
    foreach ($posted as $option) {
        if ($option['type'] === 'Price') {
            $priced[] = $option;
        } elseif (in_array($option['name'], $listedNames, true)) {
            return false;
        }
    }
    $withValues = count(array_filter($listed, fn(array $l): bool => $l['values'] !== []));
    if (count($priced) !== $withValues) {
        return false;
    }
    // The listed options each posted one can be.
    $fits = [];
    foreach ($priced as $p => $option) {
        $fits[$p] = [];
        foreach ($listed as $l => $candidate) {
            if ($candidate['name'] !== $option['name']) {
                continue;
            }
            foreach ($candidate['values'] as $value) {
                if ($value['text'] === $option['value'] && vq_same_amount($value['surcharge'], $option['price'])) {
                    $fits[$p][] = $l;
                    break;
                }
            }
        }
    }
    // Two options of one name on an article are told apart only by their
    // values: each posted option needs a listed one of its own, found by
    // augmenting paths. As many posted as listed ones with values, all
    // assigned, means every listed one is taken once.
    $owner = [];
    foreach (array_keys($priced) as $p) {
        $visited = [];
        if (!vq_assign_option($p, $fits, $owner, $visited)) {
            return false;
        }
    }
    return true;
}

/** One step of vq_price_options_match(): finds posted option $p a listed one, moving others aside. */
function vq_assign_option(int $p, array $fits, array &$owner, array &$visited): bool
{
    foreach ($fits[$p] as $l) {
        if (isset($visited[$l])) {
            continue;
        }
        $visited[$l] = true;
        if (!isset($owner[$l]) || vq_assign_option($owner[$l], $fits, $owner, $visited)) {
            $owner[$l] = $p;
            return true;
        }
    }
    return false;
}

// ---- a business buyer's identifiers

/**
 * The form of a VAT ID's national part after its country prefix: the 27
 * member states of the EU ("EL" for Greece) and Northern Ireland ("XI").
 */
const VQ_VAT_ID_COUNTRIES = [
    'AT' => 'U[0-9]{8}', 'BE' => '[01][0-9]{9}', 'BG' => '[0-9]{9,10}', 'CY' => '[0-9]{8}[A-Z]',
    'CZ' => '[0-9]{8,10}', 'DE' => '[0-9]{9}', 'DK' => '[0-9]{8}', 'EE' => '[0-9]{9}', 'EL' => '[0-9]{9}',
    'ES' => '[A-Z][0-9]{7}[0-9A-Z]|[0-9]{8}[A-Z]', 'FI' => '[0-9]{8}', 'FR' => '[0-9A-HJ-NP-Z]{2}[0-9]{9}',
    'HR' => '[0-9]{11}', 'HU' => '[0-9]{8}', 'IE' => '[0-9]{7}[A-W][A-I]?|[0-9][A-Z+*][0-9]{5}[A-W]',
    'IT' => '[0-9]{11}', 'LT' => '[0-9]{9}|[0-9]{12}', 'LU' => '[0-9]{8}', 'LV' => '[0-9]{11}',
    'MT' => '[0-9]{8}', 'NL' => '[0-9]{9}B[0-9]{2}', 'PL' => '[0-9]{10}', 'PT' => '[0-9]{9}',
    'RO' => '[1-9][0-9]{1,9}', 'SE' => '[0-9]{10}01', 'SI' => '[1-9][0-9]{7}', 'SK' => '[1-9][0-9]{9}',
    'XI' => '[0-9]{9}|[0-9]{12}|GD[0-4][0-9]{2}|HA[5-9][0-9]{2}',
];

/**
 * The optional fields of a business order, by their names in the post and
 * in the order document, with the labels the mails show them under.
 */
const VQ_BUYER_ID_FIELDS = [
    'UStIdNr' => 'USt-IdNr.',
    'Kaeuferreferenz' => "K\u{E4}uferreferenz / Leitweg-ID",
    'EMailERechnung' => "E-Mail-Adresse f\u{FC}r E-Rechnungen",
];

/** A value without blanks, tabs and line breaks around it. */
function vq_trim_blanks(string $value): string
{
    return trim($value, " \t\r\n");
}

/** A VAT ID as it is checked and carried: blanks removed, letters in upper case. */
function vq_compact_vat_id(string $value): string
{
    return strtoupper(str_replace(' ', '', $value));
}

/**
 * Why a VAT ID is refused: the form of its country, and for "DE" the check
 * digit (ISO 7064 MOD 11,10); '' when it passes or is empty.
 */
function vq_vat_id_problem(string $value): string
{
    $v = vq_compact_vat_id($value);
    if ($v === '') {
        return '';
    }
    $country = substr($v, 0, 2);
    $pattern = VQ_VAT_ID_COUNTRIES[$country] ?? null;
    if ($pattern === null || preg_match('/^(?:' . $pattern . ')$/D', substr($v, 2)) !== 1) {
        return "Bitte geben Sie eine g\u{FC}ltige USt-IdNr. ein.";
    }
    if ($country !== 'DE') {
        return '';
    }
    $product = 10;
    for ($i = 2; $i < 10; $i++) {
        $sum = ((int)$v[$i] + $product) % 10;
        $product = (2 * ($sum === 0 ? 10 : $sum)) % 11;
    }
    return (11 - $product) % 10 === (int)$v[10]
        ? '' : "Die USt-IdNr. ist ung\u{FC}ltig. Bitte pr\u{FC}fen Sie die Pr\u{FC}fziffer.";
}

/**
 * Why a Leitweg-ID is refused: its form (coarse address, optional fine
 * address, check digits) or its check digits (ISO 7064 MOD 97-10, A=10 ...
 * Z=35, any letter case); '' when it passes or is empty.
 */
function vq_leitweg_id_problem(string $value): string
{
    $v = vq_trim_blanks($value);
    if ($v === '') {
        return '';
    }
    if (preg_match('/^(?:[0-9]{2,12}(-[0-9A-Za-z]{1,30})?-[0-9]{2})$/D', $v) !== 1) {
        return "Bitte geben Sie eine g\u{FC}ltige Leitweg-ID ein (zum Beispiel 04011000-12345-03).";
    }
    $rest = 0;
    foreach (str_split(strtoupper(str_replace('-', '', $v))) as $c) {
        $rest = ctype_digit($c) ? ($rest * 10 + (int)$c) % 97 : ($rest * 100 + ord($c) - 55) % 97;
    }
    return $rest === 1 ? '' : "Die Leitweg-ID ist ung\u{FC}ltig. Bitte pr\u{FC}fen Sie die Pr\u{FC}fziffern.";
}

/** Why an address for e-invoices is refused (see vq_valid_address); '' when it passes or is empty. */
function vq_e_invoice_address_problem(string $value): string
{
    $v = vq_trim_blanks($value);
    if ($v === '') {
        return '';
    }
    $at = strpos($v, '@');
    return $at !== false && $at <= 64 && vq_valid_address($v) === $v
        ? '' : "Bitte geben Sie eine g\u{FC}ltige E-Mail-Adresse f\u{FC}r E-Rechnungen ein.";
}

/**
 * The first refusal of a post's business buyer fields, or null. The page
 * checks them too, but a post may come from anywhere.
 *
 * @param callable $text fn(string $name): string, the posted value as UTF-8
 */
function vq_buyer_ids_error(callable $text): ?string
{
    $problem = vq_vat_id_problem($text('UStIdNr'))
        ?: vq_leitweg_id_problem($text('Kaeuferreferenz'))
        ?: vq_e_invoice_address_problem($text('EMailERechnung'));
    return $problem === '' ? null : $problem;
}

/**
 * The business buyer fields a post fills, as the order document carries them
 * (the VAT ID compact, the others without blanks around them); the empty
 * ones are left out. Call after vq_buyer_ids_error() found nothing.
 */
function vq_buyer_ids(callable $text): array
{
    $ids = [
        'UStIdNr' => vq_compact_vat_id($text('UStIdNr')),
        'Kaeuferreferenz' => vq_trim_blanks($text('Kaeuferreferenz')),
        'EMailERechnung' => vq_trim_blanks($text('EMailERechnung')),
    ];
    return array_filter($ids, fn(string $value): bool => $value !== '');
}

// ---- order document and order mail

function vq_xml_text(string $text): string
{
    return htmlspecialchars($text, ENT_QUOTES | ENT_XML1 | ENT_SUBSTITUTE, 'UTF-8');
}

/** Base64 wrapped at 76 characters, so no line of the mail grows beyond what transport allows. */
function vq_b64_wrapped(string $bytes): string
{
    return implode("\r\n", str_split(base64_encode($bytes), 76));
}

function vq_b64_1252(string $text): string
{
    return vq_b64_wrapped(vq_to_windows1252($text));
}

/** A random identifier in the form of a UUID (version 4). */
function vq_new_uuid(): string
{
    return vq_format_uuid(random_bytes(16), 0x40);
}

function vq_format_uuid(string $b, int $version): string
{
    $b[6] = chr((ord($b[6]) & 0x0F) | $version);
    $b[8] = chr((ord($b[8]) & 0x3F) | 0x80);
    $h = bin2hex($b);
    return substr($h, 0, 8) . '-' . substr($h, 8, 4) . '-' . substr($h, 12, 4) . '-'
        . substr($h, 16, 4) . '-' . substr($h, 20);
}

/** Whether a posted page-view token ("vq_view") has the form the pages write. */
function vq_valid_view_token(string $token): bool
{
    return preg_match('/^[0-9a-f]{32}$/D', $token) === 1;
}

/**
 * The order's identifier: the same for the same order sent again from one
 * page view (a resubmitted form after a failed order mail is not a second
 * order), another for another order from that view (back, change, send
 * again) or from another view; random without a view token. $orderDigest is
 * vq_order_digest() of the order.
 */
function vq_order_uuid(string $formId, string $viewToken, string $orderDigest): string
{
    if (!vq_valid_view_token($viewToken)) {
        return vq_new_uuid();
    }
    // Version 8: an identifier built in a way of our own.
    return vq_format_uuid(substr(hash('sha256', "vq-order\0$formId\0$viewToken\0$orderDigest", true), 0, 16),
                          0x80);
}

/**
 * What makes an order the order it is, as the order document carries it:
 * the VAT mode, the customer, and every line with its options. Two sends with
 * the same digest are one order sent twice.
 */
function vq_order_digest(array $lines, array $customer, string $taxMode): string
{
    $fields = [vq_is_netto($taxMode) ? 'netto' : 'brutto'];
    foreach (VQ_CUSTOMER_FIELDS as $key) {
        $fields[] = (string)($customer[$key] ?? '');
    }
    // Only when given, so an order without them keeps the digest it always had.
    foreach (array_keys(VQ_BUYER_ID_FIELDS) as $key) {
        if (isset($customer[$key])) {
            array_push($fields, $key, (string)$customer[$key]);
        }
    }
    foreach ($lines as $line) {
        array_push($fields, 'line', $line['number'], $line['name'], (string)$line['price_millionths'],
                   (string)$line['vat_millionths'], (string)$line['amount']);
        foreach ($line['options'] as $option) {
            array_push($fields, 'option', $option['name'], $option['value'], (string)$option['price_millionths'],
                       $option['type']);
        }
    }
    // Each field with its length before it: no two different orders give the same text.
    $text = '';
    foreach ($fields as $field) {
        $text .= strlen($field) . ':' . $field;
    }
    return hash('sha256', $text);
}

/** A price as the order document carries it: with VAT, netto prices get it added. */
function vq_gross(float $amount, float $vat, bool $netto): float
{
    return $netto ? $amount * (100 + $vat) / 100 : $amount;
}

/**
 * The XML order document the invoice module reads. Its prices ("price")
 * include the VAT: in netto mode they are converted, unrounded, for invoice
 * modules that know nothing else. "taxMode" in formdata names the page's mode;
 * in netto mode every article also carries its net price as posted
 * ("netPrice", after "price") and every option its net surcharge (attribute
 * "netPrice", after "price"), from which the invoice module computes the
 * order by the money rule, as the page did.
 *
 * @param array $customer values of Firma, Vorname, Nachname, Strasse, PLZ, Ort,
 *                        Land, email, Telefon, Homepage (UTF-8), and those of
 *                        UStIdNr, Kaeuferreferenz, EMailERechnung that are given
 * @param int $timestamp  seconds since 1970 in the shop's local time
 */
function vq_order_document(string $uuid, int $timestamp, array $customer, string $senderIp,
                           array $lines, string $taxMode = 'brutto'): string
{
    $nl = "\r\n";
    $netto = vq_is_netto($taxMode);
    // No XML declaration: the order element is the document's first node.
    $xml = '<order>' . $nl . '<formdata>' . $nl;
    $xml .= '<uuid>' . vq_xml_text($uuid) . '</uuid>' . $nl;
    $xml .= '<timestamp>' . $timestamp . '</timestamp>' . $nl;
    foreach (VQ_CUSTOMER_FIELDS as $key) {
        $xml .= "<$key>" . vq_b64_1252((string)($customer[$key] ?? '')) . "</$key>" . $nl;
    }
    // A business buyer's identifiers for the e-invoice, each only when given.
    foreach (array_keys(VQ_BUYER_ID_FIELDS) as $key) {
        if (isset($customer[$key])) {
            $xml .= "<$key>" . vq_b64_1252((string)$customer[$key]) . "</$key>" . $nl;
        }
    }
    $xml .= '<company>' . vq_xml_text(vq_cut($senderIp, 64)) . '</company>' . $nl;
    $xml .= '<taxMode>' . ($netto ? 'netto' : 'brutto') . '</taxMode>' . $nl;
    $xml .= '</formdata>' . $nl . '<articles>' . $nl;
    foreach ($lines as $line) {
        $xml .= '<article>' . $nl;
        $xml .= '<articleNumber>' . vq_b64_1252($line['number']) . '</articleNumber>' . $nl;
        $xml .= '<articleName>' . vq_b64_1252($line['name']) . '</articleName>' . $nl;
        $xml .= '<price>' . base64_encode(vq_plain_number(vq_gross($line['price'], $line['vat'], $netto)))
            . '</price>' . $nl;
        if ($netto) {
            $xml .= '<netPrice>' . base64_encode(vq_millionths_text($line['price_millionths'])) . '</netPrice>' . $nl;
        }
        $xml .= '<vat>' . base64_encode(vq_plain_number($line['vat'])) . '</vat>' . $nl;
        $xml .= '<amount>' . base64_encode((string)$line['amount']) . '</amount>' . $nl;
        $xml .= '<options>' . $nl;
        foreach ($line['options'] as $option) {
            $xml .= '<option name="' . vq_b64_1252($option['name']) . '" price="'
                . vq_plain_number(vq_gross($option['price'], $line['vat'], $netto)) . '"'
                . ($netto ? ' netPrice="' . vq_millionths_text($option['price_millionths']) . '"' : '') . '>'
                . vq_b64_1252($option['value']) . '</option>' . $nl;
        }
        $xml .= '</options>' . $nl . '</article>' . $nl;
    }
    $xml .= '</articles>' . $nl . '</order>' . $nl;
    return $xml;
}

const VQ_CUSTOMER_FIELDS = ['Firma', 'Vorname', 'Nachname', 'Strasse', 'PLZ', 'Ort', 'Land', 'email',
                            'Telefon', 'Homepage'];

/**
 * The signature of an order document: HMAC-SHA256 with the order secret over
 * the document without "\r" and without leading and trailing white space.
 */
function vq_order_signature(string $document, string $secret): string
{
    return hash_hmac('sha256', trim(str_replace("\r", '', $document)), $secret);
}

/**
 * The customer as the order document carries it: the posted fields Firma,
 * Vorname, Nachname, Strasse, PLZ, Ort, Land, Telefon and Homepage,
 * $customerEmail as "email" ('' when the post named no customer's address),
 * and the business buyer fields of vq_buyer_ids() that were given.
 *
 * @param callable $text fn(string $name): string, the posted value as UTF-8
 */
function vq_order_customer(callable $text, string $customerEmail): array
{
    $customer = [];
    foreach (VQ_CUSTOMER_FIELDS as $key) {
        $customer[$key] = $text($key);
    }
    $customer['email'] = $customerEmail;
    return $customer + vq_buyer_ids($text);
}

/**
 * The order mail for the invoice module, not yet sent: ['to', 'subject',
 * 'body', 'headers'], or null when no line is ordered. The customer comes
 * from the fields Firma, Vorname, Nachname, Strasse, PLZ, Ort, Land, email,
 * Telefon and Homepage; $customerEmail replaces the posted "email" (it is ''
 * when that was no customer's address).
 *
 * @param callable $text fn(string $name): string, the posted value as UTF-8
 */
function vq_build_order_mail(string $to, string $from, callable $text, array $lines, string $senderIp,
                             string $taxMode, string $uuid, string $customerEmail, string $secret): ?array
{
    if ($lines === []) {
        return null;
    }
    $customer = vq_order_customer($text, $customerEmail);
    // The invoice module takes the time as local wall-clock seconds.
    $now = new DateTimeImmutable('now');
    $xml = vq_order_document($uuid, $now->getTimestamp() + $now->getOffset(), $customer, $senderIp, $lines,
                             $taxMode);
    $headers = "MIME-Version: 1.0\r\nFrom: " . vq_header_safe($from)
        . "\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit";
    if ($secret !== '') {
        $headers .= "\r\nX-VQ-Signature: hmac-sha256=" . vq_order_signature($xml, $secret);
    }
    return ['to' => $to, 'subject' => 'VQBESTMAIL Bestellung', 'body' => $xml, 'headers' => $headers];
}

/** A header value in RFC 2047 form when it is not plain ASCII; at most 150 characters. */
function vq_encode_header(string $text): string
{
    $text = vq_cut(vq_header_safe($text), 150);
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
        $mime = vq_upload_content_type($name);
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
 * posted value of field Name. At most 100 placeholders are filled and the
 * text stays within $maxLength bytes.
 */
function vq_mail_text(string $template, callable $text, int $maxLength = 65536): string
{
    $template = str_replace('#br#', "\n", vq_cut($template, $maxLength));
    $length = strlen($template);
    $result = (string)preg_replace_callback('/\{#([A-Za-z0-9_]{1,100})#\}/',
        function (array $m) use ($text, &$length, $maxLength): string {
            $value = $text($m[1]);
            if ($length + strlen($value) > $maxLength) {
                return '';
            }
            $length += strlen($value);
            return $value;
        }, $template, 100);
    return $result;
}

// ---- the form mail

/**
 * The money lines under the order, from vq_order_totals(): the net amount
 * (netto pages only), the VAT of each rate, the whole VAT and the total, each
 * as [label, amount text].
 */
function vq_totals_lines(array $totals, string $currency): array
{
    $rows = [];
    if ($totals['netto']) {
        $rows[] = ['Netto', vq_money_cents($totals['net'], $currency)];
    }
    foreach ($totals['rates'] as $rate) {
        $rows[] = ['MwSt. ' . vq_millionths_text($rate['rate'], ',') . ' %', vq_money_cents($rate['vat'], $currency)];
    }
    $rows[] = ['MwSt.', vq_money_cents($totals['vat'], $currency)];
    $rows[] = ['Gesamt', vq_money_cents($totals['total'], $currency)];
    return $rows;
}

/** A surcharge as the mails show it beside its option: "+2,50 EUR", a discount "-2,50 EUR". */
function vq_surcharge_text(float $price, string $currency): string
{
    return ($price > 0 ? '+' : '') . vq_money($price, $currency);
}

/** The label a posted value is shown under in the mails: its field name, or the business field's label. */
function vq_value_label(string $name): string
{
    return VQ_BUYER_ID_FIELDS[$name] ?? $name;
}

/**
 * The form mail as plain text: the additional text, the values, the order
 * with its line totals and the money lines of vq_totals_lines().
 */
function vq_form_mail_plain(string $mailText, array $values, array $lines, array $totals,
                            string $currency, array $extra): string
{
    $out = $mailText === '' ? '' : $mailText . "\n\n";
    foreach ($values as $name => $value) {
        $out .= vq_value_label((string)$name) . ": $value\n";
    }
    if ($lines !== []) {
        $out .= "\nBestellung:\n";
        foreach ($lines as $l) {
            $out .= sprintf("%d x %s (Art.-Nr. %s) zu %s = %s\n", $l['amount'], $l['name'],
                            $l['number'], vq_money($l['price'], $currency),
                            vq_money_cents($l['total_cents'], $currency));
            foreach ($l['options'] as $o) {
                $out .= '    ' . $o['name'] . ': ' . $o['value']
                    . ($o['price'] != 0 ? ' (' . vq_surcharge_text($o['price'], $currency) . ')' : '') . "\n";
            }
        }
        foreach (vq_totals_lines($totals, $currency) as [$label, $amount]) {
            $out .= "$label: $amount\n";
        }
    }
    foreach ($extra as $name => $value) {
        $out .= "\n$name: $value";
    }
    return str_replace("\n", "\r\n", rtrim($out)) . "\r\n";
}

/** The form mail as HTML, every value escaped. */
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
        $out .= '<tr><td><b>' . $e(vq_value_label((string)$name)) . '</b></td><td>' . nl2br($e($value), false)
            . "</td></tr>\r\n";
    }
    $out .= "</table>\r\n";
    if ($lines !== []) {
        $out .= "<h3>Bestellung</h3>\r\n<table cellpadding=\"4\" border=\"1\" style=\"border-collapse:collapse\">\r\n"
            . "<tr><th>Anzahl</th><th>Artikel</th><th>Art.-Nr.</th><th>Einzelpreis</th><th>Gesamtpreis</th></tr>\r\n";
        foreach ($lines as $l) {
            $options = '';
            foreach ($l['options'] as $o) {
                $options .= '<br>' . $e($o['name']) . ': ' . $e($o['value'])
                    . ($o['price'] != 0 ? ' (' . $e(vq_surcharge_text($o['price'], $currency)) . ')' : '');
            }
            $out .= '<tr><td>' . $l['amount'] . '</td><td>' . $e($l['name']) . $options . '</td><td>'
                . $e($l['number']) . '</td><td>' . $e(vq_money($l['price'], $currency)) . '</td><td>'
                . $e(vq_money_cents($l['total_cents'], $currency)) . "</td></tr>\r\n";
        }
        foreach (vq_totals_lines($totals, $currency) as [$label, $amount]) {
            $cell = $label === 'Gesamt' ? '<b>' . $e($label) . '</b></td><td><b>' . $e($amount) . '</b>'
                                        : $e($label) . '</td><td>' . $e($amount);
            $out .= '<tr><td colspan="4">' . $cell . "</td></tr>\r\n";
        }
        $out .= "</table>\r\n";
    }
    foreach ($extra as $name => $value) {
        $out .= '<p>' . $e($name) . ': ' . $e($value) . "</p>\r\n";
    }
    return $out . "</body></html>\r\n";
}

/** Sends prepared mails ['to', 'subject', 'body', 'headers'] in order; false at the first failure. */
function vq_send_mails(array $mails): bool
{
    foreach ($mails as $mail) {
        if (!mail($mail['to'], $mail['subject'], $mail['body'], $mail['headers'])) {
            return false;
        }
    }
    return true;
}

// ---- storage folder, captcha, rate limit

/**
 * The private storage folder: created readable by its owner only; a link, or
 * a folder another user owns, is refused.
 */
function vq_storage_dir(array $config): ?string
{
    $dir = rtrim((string)($config['storage_dir'] ?? ''), '/');
    if ($dir === '') {
        return null;
    }
    if (is_link($dir)) {
        return null;
    }
    if (!is_dir($dir)) {
        $old = umask(0077);
        $made = @mkdir($dir, 0700, true);
        umask($old);
        if (!$made && !is_dir($dir)) {
            return null;
        }
        clearstatcache(true, $dir);
        if (is_link($dir)) {
            return null;
        }
    }
    if (function_exists('posix_geteuid') && @fileowner($dir) !== posix_geteuid()) {
        return null;
    }
    $perms = @fileperms($dir);
    if ($perms !== false && ($perms & 0077) !== 0) {
        @chmod($dir, 0700);
    }
    return is_writable($dir) ? $dir : null;
}

function vq_valid_form_id(string $id): bool
{
    return preg_match('/^\d{1,10}$/D', $id) === 1;
}

// The captcha keeps no code on the server. Each image adds an entry to the
// visitor's cookie: the form id, the time the image was made, a random nonce
// and a tag, an HMAC of these under the server's captcha key. The code in the
// image is another HMAC of the same values under that key, so a post is
// checked from its cookie alone, an entry the server did not make is known by
// its tag, and however many images are fetched, nothing fills up and no store
// is scanned. A code counts once: checking records the nonces of the entries
// it used (right or wrong), in folders by time, each dropped whole once its
// codes have expired.

const VQ_CAPTCHA_COOKIE = 'vq_captcha';
const VQ_CAPTCHA_ALPHABET = 'ABCDEFGHJKLMNPQRSTUVWXYZ23456789'; // 32 letters: 5 bits of the HMAC each
const VQ_CAPTCHA_LENGTH = 5;
const VQ_CAPTCHA_ENTRIES = 3;   // the last three images stay valid (the form open in several tabs)
const VQ_CAPTCHA_SLOT = 600;    // seconds of images whose used nonces share a folder

/**
 * The server's captcha key (64 hex digits), made once in the storage folder.
 * Two first requests at the same moment end with the same key: the new one is
 * linked into place only where none is yet. Null when the folder fails.
 */
function vq_captcha_key(string $dir): ?string
{
    $file = $dir . '/captcha.key';
    $valid = fn($key): bool => is_string($key) && preg_match('/^[0-9a-f]{64}$/D', $key) === 1;
    $key = @file_get_contents($file);
    if ($valid($key)) {
        return $key;
    }
    $new = $file . '.' . bin2hex(random_bytes(8));
    $old = umask(0077);
    $written = @file_put_contents($new, bin2hex(random_bytes(32))) !== false;
    umask($old);
    if (!$written) {
        return null;
    }
    // A damaged key (a full disk, a hand edit) is replaced; a good one wins.
    if (!@link($new, $file) && !$valid(@file_get_contents($file))) {
        @rename($new, $file);
    }
    @unlink($new);
    $key = @file_get_contents($file);
    if (!$valid($key)) {
        return null;
    }
    // The codes an earlier version stored one file each go with the first key.
    foreach (glob($dir . '/captcha_*.txt') ?: [] as $stored) {
        @unlink($stored);
    }
    return $key;
}

/** The HMAC of an image's values for one purpose ("tag" or "code"), raw. */
function vq_captcha_mac(string $key, string $purpose, string $formId, int $issued, string $nonce): string
{
    return hash_hmac('sha256', "vq-captcha-$purpose\0$formId\0$issued\0$nonce", $key, true);
}

/** The code an image shows. */
function vq_captcha_code(string $key, string $formId, int $issued, string $nonce): string
{
    $mac = vq_captcha_mac($key, 'code', $formId, $issued, $nonce);
    $code = '';
    for ($i = 0; $i < VQ_CAPTCHA_LENGTH; $i++) {
        $code .= VQ_CAPTCHA_ALPHABET[ord($mac[$i]) & 31];
    }
    return $code;
}

/**
 * The entries of a captcha cookie that this server made and that have not
 * expired, oldest first: ['form', 'issued', 'nonce'] each. Anything else in
 * the cookie is ignored.
 */
function vq_captcha_entries(?string $cookie, string $key, int $lifetime, int $now): array
{
    if (!is_string($cookie) || strlen($cookie) > 100 * VQ_CAPTCHA_ENTRIES) {
        return [];
    }
    $entries = [];
    foreach (array_slice(explode('_', $cookie), -VQ_CAPTCHA_ENTRIES) as $entry) {
        if (!preg_match('/^(\d{1,10})-(\d{1,12})-([0-9a-f]{24})-([0-9a-f]{32})$/D', $entry, $m)) {
            continue;
        }
        $issued = (int)$m[2];
        if ($issued < $now - $lifetime || $issued > $now + 60) {
            continue;
        }
        $tag = bin2hex(substr(vq_captcha_mac($key, 'tag', $m[1], $issued, $m[3]), 0, 16));
        if (hash_equals($tag, $m[4])) {
            $entries[] = ['form' => $m[1], 'issued' => $issued, 'nonce' => $m[3]];
        }
    }
    return $entries;
}

/**
 * A new image for a form: returns [the visitor's new cookie value, the code
 * to show]. The cookie keeps the visitor's last entries besides the new one.
 */
function vq_captcha_issue(string $key, string $formId, ?string $cookie, int $lifetime, int $now): array
{
    $nonce = bin2hex(random_bytes(12));
    $entries = vq_captcha_entries($cookie, $key, $lifetime, $now);
    $entries[] = ['form' => $formId, 'issued' => $now, 'nonce' => $nonce];
    $parts = [];
    foreach (array_slice($entries, -VQ_CAPTCHA_ENTRIES) as $e) {
        $parts[] = $e['form'] . '-' . $e['issued'] . '-' . $e['nonce'] . '-'
            . bin2hex(substr(vq_captcha_mac($key, 'tag', $e['form'], $e['issued'], $e['nonce']), 0, 16));
    }
    return [implode('_', $parts), vq_captcha_code($key, $formId, $now, $nonce)];
}

/**
 * Compares the typed code with the codes of the visitor's images of this
 * form, once: every code offered is used up, right or wrong, so a wrong try
 * needs a new image and a code never passes twice, not even in two posts at
 * the same moment.
 */
function vq_captcha_check(string $dir, string $formId, ?string $cookie, string $typed, int $lifetime): bool
{
    if (!vq_valid_form_id($formId)) {
        return false;
    }
    $key = vq_captcha_key($dir);
    if ($key === null) {
        return false;
    }
    $now = time();
    vq_captcha_forget_used($dir, $lifetime, $now);
    $typed = strtoupper(trim($typed));
    $match = false;
    foreach (vq_captcha_entries($cookie, $key, $lifetime, $now) as $entry) {
        if ($entry['form'] !== $formId || !vq_captcha_use($dir, $entry)) {
            continue;
        }
        $match = hash_equals(vq_captcha_code($key, $formId, $entry['issued'], $entry['nonce']), $typed) || $match;
    }
    return $typed !== '' && $match;
}

/** The folder of the used nonces of images made in one slot of time. */
function vq_captcha_used_dir(string $dir, int $slot): string
{
    return $dir . '/captcha_used/' . $slot;
}

/**
 * Records an entry's nonce as used. False when it was used before or cannot
 * be recorded: creating the file is the one step that two posts cannot both
 * win.
 */
function vq_captcha_use(string $dir, array $entry): bool
{
    $slotDir = vq_captcha_used_dir($dir, intdiv($entry['issued'], VQ_CAPTCHA_SLOT));
    if (!is_dir($slotDir) && !@mkdir($slotDir, 0700, true) && !is_dir($slotDir)) {
        return false;
    }
    $handle = @fopen($slotDir . '/' . $entry['nonce'], 'x');
    if ($handle === false) {
        return false;
    }
    fclose($handle);
    return true;
}

/**
 * Drops the folders of used nonces whose images have all expired. Reads only
 * the list of folders (one per ten minutes of the lifetime); a folder's files
 * are read once, when it goes.
 */
function vq_captcha_forget_used(string $dir, int $lifetime, int $now): void
{
    $base = $dir . '/captcha_used';
    foreach (@scandir($base) ?: [] as $slot) {
        // An image of this slot was made before its end and expires a lifetime later.
        if (!preg_match('/^\d{1,12}$/D', $slot) || ((int)$slot + 1) * VQ_CAPTCHA_SLOT + $lifetime + 60 > $now) {
            continue;
        }
        $slotDir = vq_captcha_used_dir($dir, (int)$slot);
        foreach (@scandir($slotDir) ?: [] as $file) {
            if ($file !== '.' && $file !== '..') {
                @unlink($slotDir . '/' . $file);
            }
        }
        @rmdir($slotDir);
    }
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
 * The sender a rate limit counts: an IPv4 address, or the /64 network of an
 * IPv6 address (one connection gets a whole /64).
 */
function vq_rate_limit_key(string $ip): string
{
    $packed = @inet_pton(trim($ip));
    if ($packed === false) {
        return 'x:' . $ip;
    }
    if (strlen($packed) === 16) {
        // An IPv4 address written as IPv6 counts as that IPv4 address.
        if (substr($packed, 0, 12) === "\0\0\0\0\0\0\0\0\0\0\xFF\xFF") {
            return '4:' . inet_ntop(substr($packed, 12));
        }
        return '6:' . bin2hex(substr($packed, 0, 8));
    }
    return '4:' . inet_ntop($packed);
}

/**
 * Counts a post of this sender and tells whether it is within the limit
 * (max_posts per per_seconds). Entries older than the period are removed.
 * Unknown storage: always within.
 */
function vq_rate_limit_ok(?string $dir, string $ip, int $maxPosts, int $perSeconds): bool
{
    return vq_count_within_limit($dir, 'rate', vq_rate_limit_key($ip), $maxPosts, $perSeconds);
}

/**
 * Counts one event of $key in the files "$kind_*.txt" of the storage folder
 * (one file per key, by its digest, locked while counted) and tells whether
 * it is within $max per $perSeconds; an event beyond the limit is not
 * counted. Files of keys quiet for the period are removed. Unknown storage
 * or $max 0: always within.
 */
function vq_count_within_limit(?string $dir, string $kind, string $key, int $max, int $perSeconds): bool
{
    if ($dir === null || $max <= 0) {
        return true;
    }
    $now = time();
    foreach (glob($dir . '/' . $kind . '_*.txt') ?: [] as $old) {
        if (@filemtime($old) < $now - $perSeconds) {
            @unlink($old);
        }
    }
    $file = $dir . '/' . $kind . '_' . hash('sha256', $key) . '.txt';
    $fp = @fopen($file, 'c+');
    if ($fp === false) {
        return true;
    }
    flock($fp, LOCK_EX);
    $times = array_filter(array_map('intval', explode("\n", (string)stream_get_contents($fp))),
        fn(int $t): bool => $t > $now - $perSeconds);
    $ok = count($times) < $max;
    if ($ok) {
        $times[] = $now;
    }
    ftruncate($fp, 0);
    rewind($fp);
    fwrite($fp, implode("\n", $times));
    fflush($fp);
    flock($fp, LOCK_UN);
    fclose($fp);
    return $ok;
}

// ---- confirmation of receipt

/** When a post was received, as the confirmations state it: "10.12.2026 um 14:05:09 Uhr". */
function vq_received_text(int $time): string
{
    return date('d.m.Y', $time) . ' um ' . date('H:i:s', $time) . ' Uhr';
}

/**
 * Whether one more confirmation may go to $address: at most $max per
 * $perSeconds to one address (letter case aside), counted in the storage folder.
 */
function vq_confirmation_allowed(?string $dir, string $address, int $max, int $perSeconds): bool
{
    return vq_count_within_limit($dir, 'confirm', strtolower($address), $max, $perSeconds);
}

/**
 * The owner's files that go with every confirmation (terms, withdrawal
 * instructions): readable files of at most 5 MiB each, as attachments. A file
 * that is missing or too large is left out.
 */
function vq_owner_attachments(array $paths): array
{
    $files = [];
    foreach ($paths as $path) {
        if (!is_string($path) || !is_file($path) || !is_readable($path) || filesize($path) > 5 * 1024 * 1024) {
            continue;
        }
        $data = @file_get_contents($path);
        if ($data !== false) {
            $files[] = ['name' => basename($path), 'data' => $data];
        }
    }
    return $files;
}

/**
 * The confirmation of receipt of an order, not yet sent: to the customer's
 * address as the server checked it, with the owner's subject and text, the
 * order number, the time of receipt and the order as the server read it
 * (lines, options, the totals of vq_order_totals()), and the owner's files.
 */
function vq_confirmation_mail(string $from, string $to, string $subject, string $text, array $lines,
                              array $totals, string $currency, string $orderId, int $receivedAt,
                              array $attachments, bool $html): array
{
    $facts = ['Bestellnummer' => $orderId, 'Eingang der Bestellung' => vq_received_text($receivedAt)];
    $mailText = str_replace('#br#', "\n", $text);
    $body = $html ? vq_form_mail_html($mailText, $facts, $lines, $totals, $currency, [])
                  : vq_form_mail_plain($mailText, $facts, $lines, $totals, $currency, []);
    [$headers, $message] = vq_build_mail($from, null, $html, $body, $attachments);
    return ['to' => $to, 'subject' => vq_encode_header($subject), 'body' => $message, 'headers' => $headers];
}

// ---- withdrawal ("Vertrag widerrufen")

/** Names of the fields the withdrawal page posts. */
const VQ_WITHDRAWAL_FIELDS = ['name' => 'wr_name', 'email' => 'wr_email', 'order' => 'wr_bestellnummer',
                              'date' => 'wr_bestelldatum', 'reason' => 'wr_grund', 'step' => 'wr_schritt'];

/**
 * The withdrawal a post declares, checked: ['values' => [name, email, order,
 * date, reason], 'error' => German reason or null]. A name (at most 200
 * characters), a valid address and an order number (letters, digits and
 * "-", "_", ".", "/", at most 100) or an order date (YYYY-MM-DD, not in the
 * future) are needed; the reason is optional (at most 2000 characters).
 *
 * @param callable $text fn(string $name): string, the posted value as UTF-8
 */
function vq_withdrawal_read(callable $text, int $now): array
{
    $f = VQ_WITHDRAWAL_FIELDS;
    $values = [
        'name' => trim(vq_header_safe($text($f['name']))),
        'email' => trim($text($f['email'])),
        'order' => trim($text($f['order'])),
        'date' => trim($text($f['date'])),
        'reason' => trim(str_replace("\r", '', $text($f['reason']))),
    ];
    $error = null;
    if ($values['name'] === '') {
        $error = 'Bitte geben Sie Ihren Namen an.';
    } elseif (vq_length($values['name']) > 200) {
        $error = "Der Name ist zu lang (h\u{F6}chstens 200 Zeichen).";
    } elseif (vq_valid_address($values['email']) === null) {
        $error = "Bitte geben Sie eine g\u{FC}ltige E-Mail-Adresse an; an sie geht die Best\u{E4}tigung.";
    } elseif ($values['order'] === '' && $values['date'] === '') {
        $error = 'Bitte geben Sie die Bestellnummer oder das Bestelldatum an.';
    } elseif ($values['order'] !== '' && !preg_match('#^[A-Za-z0-9_./ -]{1,100}$#D', $values['order'])) {
        $error = "Die Bestellnummer besteht aus Buchstaben, Ziffern und Bindestrichen (h\u{F6}chstens 100 Zeichen).";
    } elseif ($values['date'] !== '' && !vq_withdrawal_date_ok($values['date'], $now)) {
        $error = "Das Bestelldatum ist kein g\u{FC}ltiges Datum (TT.MM.JJJJ) oder liegt in der Zukunft.";
    } elseif (vq_length($values['reason']) > 2000) {
        $error = "Der Grund ist zu lang (h\u{F6}chstens 2000 Zeichen).";
    }
    if ($error === null) {
        $values['email'] = (string)vq_valid_address($values['email']);
        $values['date'] = vq_withdrawal_date($values['date']);
    }
    return ['values' => $values, 'error' => $error];
}

/** Characters of UTF-8 text (bytes when it is not UTF-8). */
function vq_length(string $text): int
{
    $count = preg_match_all('/./us', $text);
    return $count === false ? strlen($text) : $count;
}

/** An order date as posted (YYYY-MM-DD from a date field, or DD.MM.YYYY) as YYYY-MM-DD, or ''. */
function vq_withdrawal_date(string $date): string
{
    if (preg_match('/^(\d{4})-(\d{2})-(\d{2})$/D', $date, $m) && checkdate((int)$m[2], (int)$m[3], (int)$m[1])) {
        return $date;
    }
    if (preg_match('/^(\d{1,2})\.(\d{1,2})\.(\d{4})$/D', $date, $m) && checkdate((int)$m[2], (int)$m[1], (int)$m[3])) {
        return sprintf('%04d-%02d-%02d', (int)$m[3], (int)$m[2], (int)$m[1]);
    }
    return '';
}

function vq_withdrawal_date_ok(string $date, int $now): bool
{
    $iso = vq_withdrawal_date($date);
    return $iso !== '' && $iso >= '2000-01-01' && $iso <= date('Y-m-d', $now + 86400);
}

/** The order date as the pages and mails show it: "10.12.2026"; '' stays ''. */
function vq_withdrawal_date_text(string $iso): string
{
    return $iso === '' ? '' : substr($iso, 8, 2) . '.' . substr($iso, 5, 2) . '.' . substr($iso, 0, 4);
}

/** What the withdrawal says, as [label, value] rows: shown in the second step and in the mails. */
function vq_withdrawal_rows(array $values, bool $withReason = true): array
{
    $rows = [['Name', $values['name']], ['E-Mail-Adresse', $values['email']]];
    if ($values['order'] !== '') {
        $rows[] = ['Bestellnummer', $values['order']];
    }
    if ($values['date'] !== '') {
        $rows[] = ['Bestelldatum', vq_withdrawal_date_text($values['date'])];
    }
    if ($withReason && $values['reason'] !== '') {
        $rows[] = ['Grund', $values['reason']];
    }
    return $rows;
}

/**
 * The document of a withdrawal mail for the invoice module: identifier and
 * time plain, the consumer's texts base64 (UTF-8), the order date plain.
 *
 * @param int $timestamp seconds since 1970 in the shop's local time
 */
function vq_withdrawal_document(string $uuid, int $timestamp, array $values, string $senderIp): string
{
    $nl = "\r\n";
    $xml = '<withdrawal>' . $nl . '<uuid>' . vq_xml_text($uuid) . '</uuid>' . $nl
        . '<timestamp>' . $timestamp . '</timestamp>' . $nl;
    foreach (['name' => 'name', 'email' => 'email', 'order' => 'orderNumber', 'reason' => 'reason'] as $key => $element) {
        $xml .= "<$element>" . vq_b64_wrapped((string)$values[$key]) . "</$element>" . $nl;
    }
    $xml .= '<orderDate>' . vq_xml_text((string)$values['date']) . '</orderDate>' . $nl
        . '<company>' . vq_xml_text(vq_cut($senderIp, 64)) . '</company>' . $nl . '</withdrawal>' . $nl;
    return $xml;
}

/**
 * The mails of one withdrawal, not yet sent: 'owner' to the shop's recipients
 * (readable), 'invoice' to the invoice module's address (the document, subject
 * "VQWIDERRUF", signed with the order secret) when one is given, and
 * 'confirmation' to the consumer unless $confirm is false: the owner's subject
 * and text, the time of receipt and what was declared, without the reason.
 */
function vq_withdrawal_mails(array $values, array $recipients, ?string $invoiceAddress, string $from,
                             string $senderIp, int $receivedAt, string $secret, bool $confirm,
                             string $confirmSubject, string $confirmText): array
{
    $received = vq_received_text($receivedAt);
    $uuid = vq_new_uuid();
    $facts = array_merge([['Eingang des Widerrufs', $received], ['Kennung', $uuid]], vq_withdrawal_rows($values));
    $owner = "Ein Kunde hat \u{FC}ber die Widerrufsseite einen Vertrag widerrufen.\n\n";
    foreach ($facts as [$label, $value]) {
        $owner .= "$label: $value\n";
    }
    [$headers, $message] = vq_build_mail($from, $values['email'], false, str_replace("\n", "\r\n", $owner));
    $mails = ['owner' => ['to' => implode(', ', $recipients),
                          'subject' => vq_encode_header('Widerruf: ' . vq_cut($values['name'], 80)),
                          'body' => $message, 'headers' => $headers]];
    if ($invoiceAddress !== null) {
        $now = (new DateTimeImmutable('@' . $receivedAt))->setTimezone(new DateTimeZone(date_default_timezone_get()));
        $xml = vq_withdrawal_document($uuid, $receivedAt + $now->getOffset(), $values, $senderIp);
        $invoiceHeaders = "MIME-Version: 1.0\r\nFrom: " . vq_header_safe($from)
            . "\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit";
        if ($secret !== '') {
            $invoiceHeaders .= "\r\nX-VQ-Signature: hmac-sha256=" . vq_order_signature($xml, $secret);
        }
        $mails['invoice'] = ['to' => $invoiceAddress, 'subject' => 'VQWIDERRUF Widerruf', 'body' => $xml,
                             'headers' => $invoiceHeaders];
    }
    if ($confirm) {
        $text = str_replace('#br#', "\n", $confirmText) . "\n\nEingang Ihres Widerrufs: $received\n";
        foreach (vq_withdrawal_rows($values, false) as [$label, $value]) {
            $text .= "$label: $value\n";
        }
        [$confirmHeaders, $confirmBody] = vq_build_mail($from, null, false, str_replace("\n", "\r\n", $text));
        $mails['confirmation'] = ['to' => $values['email'], 'subject' => vq_encode_header($confirmSubject),
                                  'body' => $confirmBody, 'headers' => $confirmHeaders];
    }
    return $mails;
}
