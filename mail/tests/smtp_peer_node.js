// An SMTP server for the mail client's tests (the npm package smtp-server), on 127.0.0.1, with
// PLAIN, LOGIN and CRAM-MD5 logins for one user and delivery-notice parameters.
//
// Usage: node smtp_peer_node.js USER PASSWORD PORT FOLDER (NODE_PATH names the package folder)
//
// Each message taken is written to FOLDER as N.eml (the text as received, dot-stuffing undone)
// and N.env: "peer PORT" (the client's port: one per session), "auth MECHANISM LOGIN" ("auth - -"
// without a login), "from ADDRESS PARAMETERS..." and one "rcpt ADDRESS PARAMETERS..." per
// accepted recipient, the parameters as KEY=VALUE in the order sent. A recipient whose address
// starts with "refused@" gets 550. FOLDER/ready appears once the server listens; SIGTERM ends it.
'use strict';
const fs = require('fs');
const path = require('path');
const { SMTPServer } = require('smtp-server');

const [user, password, port, folder] = process.argv.slice(2);
let count = 0;

function write(file, data) {
    fs.writeFileSync(file + '.tmp', data);
    fs.renameSync(file + '.tmp', file);
}

function withParameters(words, args) {
    for (const [key, value] of Object.entries(args || {}))
        words.push(value === true ? key : key + '=' + value);
    return words.join(' ');
}

const server = new SMTPServer({
    name: 'smtp.test',
    authMethods: ['PLAIN', 'LOGIN', 'CRAM-MD5'],
    authOptional: true,
    allowInsecureAuth: true,
    disabledCommands: ['STARTTLS'],
    hideDSN: false,
    logger: false,
    onAuth(auth, session, callback) {
        const ok = auth.username === user &&
            (auth.method === 'CRAM-MD5' ? auth.validatePassword(password) : auth.password === password);
        if (!ok)
            return callback(new Error('Invalid username or password'));
        session.mechanism = auth.method;
        callback(null, { user: auth.username });
    },
    onRcptTo(address, session, callback) {
        if (address.address.startsWith('refused@')) {
            const error = new Error('No such user');
            error.responseCode = 550;
            return callback(error);
        }
        callback();
    },
    onData(stream, session, callback) {
        const chunks = [];
        stream.on('data', chunk => chunks.push(chunk));
        stream.on('end', () => {
            count += 1;
            const base = path.join(folder, String(count));
            const envelope = session.envelope;
            const lines = [
                'peer ' + session.remotePort,
                'auth ' + (session.mechanism || '-') + ' ' + (session.user || '-'),
                withParameters(['from', envelope.mailFrom.address], envelope.mailFrom.args),
            ];
            for (const rcpt of envelope.rcptTo)
                lines.push(withParameters(['rcpt', rcpt.address], rcpt.args));
            write(base + '.eml', Buffer.concat(chunks));
            // Parameter values arrive as bytes (xtext decoded); latin1 writes them back as such.
            write(base + '.env', Buffer.from(lines.join('\n') + '\n', 'latin1'));
            callback(null, 'OK queued as ' + count);
        });
    },
});

server.listen(Number(port), '127.0.0.1', () => write(path.join(folder, 'ready'), ''));
process.on('SIGTERM', () => server.close(() => process.exit(0)));
