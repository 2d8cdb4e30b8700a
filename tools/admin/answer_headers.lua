-- Runs as every answer starts, the server's own answers included (a refused
-- password, a denied path, a request too large or malformed), and gives each
-- the security headers of the page's program. serve.sh copies them from the
-- program's own answer into `headers` above this text, so that they are
-- written once.
for _, header in ipairs(headers) do
  lighty.r.resp_header[header[1]] = header[2]
end
return 0
