// How the package reads its files in a browser (or a bundle): fetched
// relative to the module, and decompressed by the platform.
export async function readAsset(url) {
  let response;
  try {
    response = await fetch(url);
  } catch (e) {
    throw new Error(`sillabor: cannot load ${url}: ${e.message}`);
  }
  if (!response.ok) throw new Error(`sillabor: cannot load ${url}: HTTP ${response.status}`);
  return new Uint8Array(await response.arrayBuffer());
}

export async function gunzip(bytes) {
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("gzip"));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}
