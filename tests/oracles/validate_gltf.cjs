// Runs the Khronos glTF validator over each .gltf/.glb named on the command
// line and prints its errors, warnings and infos. Exit status 1 when any
// file has an error or a warning, 2 when the validator cannot be loaded.
'use strict';
const fs = require('fs');
const path = require('path');

let validator;
try {
  validator = require('gltf-validator');
} catch (e) {
  console.error('validate_gltf: the npm package gltf-validator is not installed: ' + e.message);
  process.exit(2);
}

async function validate(file) {
  const bytes = new Uint8Array(fs.readFileSync(file));
  const report = await validator.validateBytes(bytes, {
    uri: path.basename(file),
    maxIssues: 0,
    externalResourceFunction: (uri) =>
      Promise.resolve(
        new Uint8Array(fs.readFileSync(path.resolve(path.dirname(file), decodeURIComponent(uri))))),
  });
  const issues = report.issues;
  for (const m of issues.messages) {
    const kind = ['error', 'warning', 'info', 'hint'][m.severity];
    console.log(`${file}: ${kind}: ${m.code} ${m.pointer || ''} ${m.message}`);
  }
  console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ` +
              `${issues.numInfos} infos`);
  return issues.numErrors + issues.numWarnings === 0;
}

(async () => {
  let clean = true;
  for (const file of process.argv.slice(2)) {
    try {
      clean = (await validate(file)) && clean;
    } catch (e) {
      console.log(`${file}: cannot be validated: ${e}`);
      clean = false;
    }
  }
  process.exit(clean ? 0 : 1);
})();
