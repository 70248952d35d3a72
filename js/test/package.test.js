// As a user gets it: npm pack, then npm install of the tarball in an empty
// project with no network, where the README's first example runs and prints
// what the README says; and the TypeScript example type-checks.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { fileURLToPath } from "node:url";

const here = fileURLToPath(new URL("..", import.meta.url));
const npm = process.platform === "win32" ? "npm.cmd" : "npm";

function readmeExample() {
  const readme = readFileSync(join(here, "README.md"), "utf8");
  const [, code, output] = /```js\n([\s\S]*?)```\s*```text\n([\s\S]*?)```/.exec(readme);
  return { code, output };
}

test("the packed tarball installs offline and runs the README's example", () => {
  const work = mkdtempSync(join(tmpdir(), "sillabor-package-"));
  try {
    const packed = execFileSync(npm, ["pack", "--json", "--pack-destination", work], { cwd: here, encoding: "utf8" });
    const tarball = join(work, JSON.parse(packed)[0].filename);
    const project = join(work, "project");
    execFileSync("mkdir", [project]);
    writeFileSync(join(project, "package.json"), JSON.stringify({ name: "app", private: true, type: "module" }));
    execFileSync(npm, ["install", "--offline", "--no-audit", "--no-fund", tarball], { cwd: project, stdio: "pipe" });
    const { code, output } = readmeExample();
    writeFileSync(join(project, "example.mjs"), code);
    assert.equal(execFileSync(process.execPath, ["example.mjs"], { cwd: project, encoding: "utf8" }), output);
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
});

const tsc = join(here, "node_modules", ".bin", "tsc");
test("the TypeScript example type-checks", { skip: existsSync(tsc) ? false : "typescript is not installed" }, () => {
  execFileSync(tsc, ["-p", join(here, "examples", "tsconfig.json")], { stdio: "pipe" });
});
