// Reads a GBK CSV file with csv-parse in its strict (RFC 4180) mode and prints each record as its
// fields' UTF-8 bytes in hexadecimal, joined by ",", one record per line. A file the parser
// refuses ends the script with its error code.
const fs = require('fs');
const { parse } = require('csv-parse/sync');

const text = new TextDecoder('gbk').decode(fs.readFileSync(process.argv[2]));
let rows;
try {
  rows = parse(text, { relax_quotes: false, relax_column_count: false });
} catch (e) {
  console.error(e.code || e.message);
  process.exit(2);
}
for (const r of rows) {
  console.log(r.map((x) => Buffer.from(x, 'utf8').toString('hex')).join(','));
}
