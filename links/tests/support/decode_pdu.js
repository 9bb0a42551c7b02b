// Decodes an SMS PDU (service-centre part first) with two independent parsers and prints what
// each read, one "parser.field=value" per line. The parsers are installed by the project's
// set-up into the node/ folder beside this script.
const path = require('path');
const modules = path.join(__dirname, 'node', 'node_modules');
const first = require(path.join(modules, 'node-sms-pdu'));
const second = require(path.join(modules, 'node-pdu'));
const hex = process.argv[2];
const out = [];
try {
    const r = first.parse(hex);
    out.push('a.type=' + r.type, 'a.smsc=' + r.smsc, 'a.destination=' + r.destination,
             'a.text=' + r.text, 'a.alphabet=' + r.details.dcs.alphabet,
             'a.vp=' + r.period, 'a.udl=' + r.details.udl);
} catch (e) {
    out.push('a.error=' + e.message);
}
try {
    const r = second.parse(hex);
    out.push('b.phone=' + r.address.phone, 'b.text=' + r.data.getText(),
             'b.smsc=' + (r.serviceCenterAddress ? r.serviceCenterAddress.phone : ''));
} catch (e) {
    out.push('b.error=' + e.message);
}
console.log(out.join('\n'));
