// Reads LAS files with las-js, the well-log LAS reader of the npm registry,
// and checks that it gets back every ~Parameter and ~Well item as the LAS 2.0
// rules split a line (the first dot, the first space after it, the last
// colon) and every row as numbers, one per curve.
//
// node read_back.js LAS_JS_PREFIX FILE...
// Exits 77 (skipped) when node has no las-js under LAS_JS_PREFIX, unless
// ZONE2LAS_REQUIRE_LAS_JS is set.
const fs = require('fs');
const path = require('path');

const prefix = process.argv[2];
let Las;
try {
  ({ Las } = require(path.join(prefix, 'node_modules', 'las-js')));
} catch (e) {
  console.log(`las-js is not installed under ${prefix}: ` +
              `npm install --prefix ${prefix} las-js@3.4.2`);
  process.exit(process.env.ZONE2LAS_REQUIRE_LAS_JS ? 1 : 77);
}

// The items of section |letter| as the standard splits their lines.
function Items(text, letter) {
  const items = {};
  let inside = false;
  for (const line of text.split('\n')) {
    if (line.startsWith('~')) {
      inside = line[1] === letter;
      continue;
    }
    if (!inside || line.trim() === '' || line.startsWith('#')) continue;
    const dot = line.indexOf('.');
    const colon = line.lastIndexOf(':');
    let space = line.indexOf(' ', dot);
    if (space < 0 || space > colon) space = colon;
    items[line.slice(0, dot).trim()] = line.slice(space, colon).trim();
  }
  return items;
}

let failures = 0;
function Expect(ok, what) {
  if (!ok) {
    console.log(`FAILED: ${what}`);
    ++failures;
  }
}

(async () => {
  for (const file of process.argv.slice(3)) {
    const text = fs.readFileSync(file, 'latin1');
    const las = new Las(file);
    const params = await las.logParams();
    for (const [name, value] of Object.entries(Items(text, 'P'))) {
      // las-js 3.4.2 ends a value at its first colon, where the standard
      // ends it at the last: a text with a colon is read short by it.
      if (value.includes(':')) {
        console.log(`${file}: ${name}: "${value}" holds a colon; las-js reads ` +
                    `"${params[name] && params[name].value}"`);
        continue;
      }
      Expect(params[name] && params[name].value === value,
             `${file}: ~Parameter ${name} is "${value}", las-js reads ` +
             `"${params[name] && params[name].value}"`);
    }
    const well = await las.wellParams();
    for (const [name, value] of Object.entries(Items(text, 'W'))) {
      Expect(well[name] && well[name].value === value,
             `${file}: ~Well ${name} is "${value}", las-js reads ` +
             `"${well[name] && well[name].value}"`);
    }
    const curves = await las.header();
    Expect(curves.join(' ') === Object.keys(Items(text, 'C')).join(' '),
           `${file}: curves ${curves.join(' ')}`);
    const rows = await las.data();
    const lines = text.slice(text.indexOf('~A')).split('\n').slice(1)
                      .filter((line) => line !== '');
    Expect(rows.length === lines.length, `${file}: ${rows.length} rows`);
    for (const row of rows) {
      Expect(row.length === curves.length &&
             row.every((value) => typeof value === 'number' && !isNaN(value)),
             `${file}: row ${JSON.stringify(row)}`);
    }
    console.log(`${file}: ${Object.keys(params).length} parameters, ` +
                `${rows.length} rows read back`);
  }
  process.exit(failures === 0 ? 0 : 1);
})().catch((e) => {
  console.log(String(e));
  process.exit(1);
});
