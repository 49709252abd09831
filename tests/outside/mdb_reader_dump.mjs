// Writes every table that the npm package mdb-reader reads in FILE (system
// tables included) as CSV files in OUTDIR, in the notation of `jetdb dump`
// (tools/value_format.h), so that tests compare values, not notation:
//   OUTDIR/tables.txt  the table names, one a line, in mdb-reader's order;
//   OUTDIR/N.csv       table N (0-based): a header line of column names, one
//                      line per row;
//   OUTDIR/N.error     instead, when mdb-reader cannot read table N: its message.
// Usage: node mdb_reader_dump.mjs FILE OUTDIR
import { mkdirSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import MDBReader from "mdb-reader";

const [file, outDir] = process.argv.slice(2);
if (!file || !outDir) {
  process.stderr.write("uso: node mdb_reader_dump.mjs FICHERO CARPETA\n");
  process.exit(2);
}

// RFC 4180, quoted only where needed; "" for an empty text (NULL is empty).
function csvField(text) {
  if (text !== "" && !/[,"\r\n]/.test(text)) return text;
  return `"${text.replaceAll('"', '""')}"`;
}

const pad = (n, width = 2) => String(n).padStart(width, "0");

// Date/Time to the second, as jetdb writes it (mdb-reader gives a Date in UTC).
function dateTime(date) {
  const d = new Date(Math.round(date.getTime() / 1000) * 1000);
  return `${pad(d.getUTCFullYear(), 4)}-${pad(d.getUTCMonth() + 1)}-${pad(d.getUTCDate())} ` +
         `${pad(d.getUTCHours())}:${pad(d.getUTCMinutes())}:${pad(d.getUTCSeconds())}`;
}

// The shortest decimal that reads back as the same single-precision number.
function single(v) {
  if (!Number.isFinite(v)) return String(v);
  for (let p = 1; p < 9; ++p) {
    const s = Number(v.toPrecision(p));
    if (Math.fround(s) === v) return String(s);
  }
  return String(v);
}

function format(value, column) {
  if (value === null || value === undefined) return null;
  switch (column.type) {
    case "boolean": return value ? "1" : "0";
    case "float": return single(value);
    case "datetime": return dateTime(value);
    case "binary":
    case "ole": return Buffer.from(value).toString("hex");
    case "repid": return `{${value.toUpperCase()}}`;
    default: return String(value);
  }
}

mkdirSync(outDir, { recursive: true });
const reader = new MDBReader(readFileSync(file));
const names = reader.getTableNames({ normalTables: true, systemTables: true, linkedTables: false });
writeFileSync(join(outDir, "tables.txt"), names.map((n) => n + "\n").join(""));
names.forEach((name, i) => {
  try {
    const table = reader.getTable(name);
    const columns = table.getColumns();
    const lines = [columns.map((c) => csvField(c.name)).join(",")];
    for (const row of table.getData()) {
      lines.push(columns.map((c) => {
        const text = format(row[c.name], c);
        return text === null ? "" : csvField(text);
      }).join(","));
    }
    writeFileSync(join(outDir, `${i}.csv`), lines.map((l) => l + "\n").join(""));
  } catch (e) {
    writeFileSync(join(outDir, `${i}.error`), String(e && e.message ? e.message : e));
  }
});
