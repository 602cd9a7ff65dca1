// A DevTools-protocol client for the remote-debugging test, on chrome-remote-interface.
//
//   node devtools_client.js <port> <page address>
//
// Lists the targets on 127.0.0.1:<port>, connects to the page at <page address>, evaluates the
// expression in $DEVTOOLS_EXPRESSION there and prints, one a line, "pages: <count>",
// "title: <the page's title>" and "result: <the value as JSON>". Fails with exit status 1 and a
// line on standard error.
const CDP = require('chrome-remote-interface');

async function main() {
  const [port, address] = process.argv.slice(2);
  const options = {host: '127.0.0.1', port: Number(port)};
  const targets = await CDP.List(options);
  const pages = targets.filter(target => target.type === 'page');
  console.log('pages: ' + pages.length);
  const page = pages.find(target => target.url === address);
  if (!page)
    throw new Error('no page at ' + address + ' among ' + JSON.stringify(pages.map(target => target.url)));
  console.log('title: ' + page.title);
  // The protocol description that comes with the client: the server need not serve its own.
  const client = await CDP({...options, target: page, local: true});
  try {
    const {result, exceptionDetails} = await client.Runtime.evaluate(
        {expression: process.env.DEVTOOLS_EXPRESSION, returnByValue: true});
    if (exceptionDetails)
      throw new Error('the expression failed: ' + JSON.stringify(exceptionDetails));
    console.log('result: ' + JSON.stringify(result.value));
  } finally {
    await client.close();
  }
}

main().catch(error => {
  console.error('devtools client: ' + error.message);
  process.exit(1);
});
