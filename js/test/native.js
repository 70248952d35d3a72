// The native tool that the package is compared with: SILLABOR_TOOL names it
// (a build's cli/sillabor); tests that need it are skipped without it.
import { spawnSync } from "node:child_process";
import { existsSync } from "node:fs";

export const tool = process.env.SILLABOR_TOOL;
export const skipWithoutTool = tool && existsSync(tool) ? false : "SILLABOR_TOOL names no native sillabor tool";

/** The tool's standard output for `args` with `input` on its standard input. */
export function run(args, input) {
  const r = spawnSync(tool, args, { input, maxBuffer: 1 << 30 });
  if (r.status !== 0) throw new Error(`${tool} ${args.join(" ")}: ${r.stderr}`);
  return r.stdout;
}
