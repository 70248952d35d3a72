// How the package reads its files in Node: from the file system, and
// decompressed with zlib.
import { readFile } from "node:fs/promises";
import { fileURLToPath } from "node:url";
import { gunzipSync } from "node:zlib";

export async function readAsset(url) {
  if (url.protocol !== "file:") return fetchAsset(url);
  try {
    return new Uint8Array(await readFile(url));
  } catch (e) {
    throw new Error(`sillabor: cannot read ${fileURLToPath(url)}: ${e.code ?? e.message}`);
  }
}

async function fetchAsset(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(`sillabor: cannot load ${url}: HTTP ${response.status}`);
  return new Uint8Array(await response.arrayBuffer());
}

export async function gunzip(bytes) {
  return gunzipSync(bytes);
}
