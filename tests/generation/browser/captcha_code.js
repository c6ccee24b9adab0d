// The code of the newest captcha image of a form that the form mailer gave a
// browser, worked out as formmail.php does: from the entries of the cookie
// vq_captcha ("form-issued-nonce-tag", joined by "_") with the server's key,
// which lies in the form mailer's storage folder.
'use strict';
const fs = require('fs');
const crypto = require('crypto');
const path = require('path');

const ALPHABET = 'ABCDEFGHJKLMNPQRSTUVWXYZ23456789';

function formMailerCaptchaCode(storageDir, formId, cookieValue) {
  const key = fs.readFileSync(path.join(storageDir, 'captcha.key'), 'utf8').trim();
  const entries = decodeURIComponent(cookieValue || '').split('_')
    .map((entry) => entry.split('-'))
    .filter((parts) => parts.length === 4 && parts[0] === String(formId));
  if (entries.length === 0)
    return '';
  const [form, issued, nonce] = entries[entries.length - 1];
  const mac = crypto.createHmac('sha256', key).update(`vq-captcha-code\0${form}\0${issued}\0${nonce}`).digest();
  let code = '';
  for (let i = 0; i < 5; i++)
    code += ALPHABET[mac[i] & 31];
  return code;
}

module.exports = { formMailerCaptchaCode };
