// Reads a mail file with the npm package mailparser, as a mail client would, and prints what it
// sees. Texts are printed as the hexadecimal of their GBK bytes, so that they can be compared with
// the program's texts byte for byte.
//
// Usage: node read_mail.js FILE (NODE_PATH names the package folder)
// Lines: "subject HEX", "date ISO-TIME", "address FIELD NAME-HEX ADDRESS" for each mailbox,
// "text HEX" (the texts of all text parts, joined), "attachment FILENAME-HEX SIZE MD5" for each
// attachment.
'use strict';
const crypto = require('crypto');
const fs = require('fs');
const iconv = require('iconv-lite');
const { simpleParser } = require('mailparser');

const hex = text => (text ? iconv.encode(text, 'gbk').toString('hex') : '') || '-';

simpleParser(fs.readFileSync(process.argv[2])).then(mail => {
    const lines = ['subject ' + hex(mail.subject), 'date ' + (mail.date ? mail.date.toISOString() : '-')];
    for (const field of ['from', 'to', 'cc', 'bcc']) {
        for (const box of (mail[field] && mail[field].value) || [])
            lines.push(['address', field, hex(box.name), box.address].join(' '));
    }
    lines.push('text ' + hex(mail.text));
    for (const a of mail.attachments) {
        const md5 = crypto.createHash('md5').update(a.content).digest('hex');
        lines.push(['attachment', hex(a.filename), a.content.length, md5].join(' '));
    }
    process.stdout.write(lines.join('\n') + '\n');
});
