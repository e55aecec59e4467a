// Validates CycloneDX 1.5 JSON documents against the format's published schema, the one the
// CycloneDX project ships with its own library, and checks that every licence expression in them
// is SPDX: known identifiers and exceptions, or LicenseRef-<name>.
// Usage: NODE_PATH=<node_modules> node validate_sbom.cjs <bom.json>...
// Prints "valid <file>" or "invalid <file>: <reasons>" for each; exits 1 if any is invalid.
'use strict';
const fs = require('node:fs');
const { Validation } = require('@cyclonedx/cyclonedx-library');
const parseSpdx = require('spdx-expression-parse');

// The format version the bill of materials declares, as the library names its schema versions.
const validator = new Validation.JsonStrictValidator('1.5');

async function problemsOf(path) {
  const text = fs.readFileSync(path, 'utf8');
  const errors = await validator.validate(text);
  const problems = errors === null ? [] : [JSON.stringify(errors)];
  for (const component of JSON.parse(text).components ?? []) {
    for (const { expression } of component.licenses ?? []) {
      try {
        if (expression !== undefined) parseSpdx(expression);
      } catch (error) {
        problems.push(`${component.name}: "${expression}": ${error.message}`);
      }
    }
  }
  return problems;
}

(async () => {
  let invalid = 0;
  for (const path of process.argv.slice(2)) {
    const problems = await problemsOf(path);
    invalid += problems.length > 0 ? 1 : 0;
    console.log(problems.length > 0 ? `invalid ${path}: ${problems.join('; ')}` : `valid ${path}`);
  }
  process.exitCode = invalid > 0 ? 1 : 0;
})();
