// Serves a folder on 127.0.0.1 for the web build: node scripts/web-serve.mjs DIR [PORT].
// Only files inside the folder are served, read-only; port 0 picks a free one. The line
// "serving http://127.0.0.1:PORT/" on standard output tells where.
import { createServer } from 'node:http';
import { createReadStream, statSync } from 'node:fs';
import { extname, join, resolve, sep } from 'node:path';

const [dir = '.', portText = '8000'] = process.argv.slice(2);
const root = resolve(dir);
const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream', '.png': 'image/png',
};

const server = createServer((request, response) => {
  let path;
  try {
    path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
  } catch {
    response.writeHead(400).end();
    return;
  }
  if (path.endsWith('/')) path += 'index.html';
  const file = resolve(join(root, path));
  let size = -1;
  try {
    const info = statSync(file);
    if (info.isFile()) size = info.size;
  } catch {}
  if ((file !== root && !file.startsWith(root + sep)) || size < 0 || request.method !== 'GET') {
    response.writeHead(request.method === 'GET' ? 404 : 405).end();
    return;
  }
  response.writeHead(200, {
    'Content-Type': types[extname(file)] ?? 'application/octet-stream',
    'Content-Length': size,
    'Cache-Control': 'no-cache',
  });
  createReadStream(file).on('error', () => response.destroy()).pipe(response);
});
server.listen(Number(portText), '127.0.0.1', () => {
  console.log(`serving http://127.0.0.1:${server.address().port}/`);
});
for (const signal of ['SIGINT', 'SIGTERM']) process.on(signal, () => process.exit(0));
