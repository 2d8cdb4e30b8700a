-- The guess limit of the served page under a clock the test sets, with limit
-- 3 and a window of 60 s. Each step is a request at second t from an address
-- with a wrong, right, missing or lost password (a lost request never gets
-- an answer) and the status it must get; "Retry-After" steps check that
-- header of the step before, "logged" steps the number of lockouts logged.
--   lua5.4 guesses_clock_test.lua tools/admin/guesses.lua
local source = assert(io.open(arg[1])):read("a")
local script = assert(load("local limit, window = 3, 60\n" .. source))
local clock, logged, last = 0, {}, nil
os.time = function() return clock end
print = function(line) logged[#logged + 1] = line end

-- The script ahead of the password check and, unless the request is lost, as
-- the answer starts, as the server runs it; the status of the answer.
local function request(address, kind)
  local r = { req_attr = { ["request.remote-ip"] = address }, req_env = {}, resp_header = {},
              req_header = { Authorization = kind ~= "missing" and "Basic x" or nil },
              req_item = { http_status = 0 } }
  lighty = { r = r }
  local status = script()
  if status == 0 then status = kind == "right" and 200 or 401 end
  if kind ~= "lost" then
    r.req_item.http_status = status
    script()
  end
  last = r
  return status
end

local A, B = "127.0.0.2", "127.0.0.3"
local scenarios = {
  ["locked until the window has passed, other addresses not"] = {
    { 0, A, "wrong", 401 }, { 0, A, "wrong", 401 }, { 1, A, "wrong", 401 },
    { 1, A, "right", 429 }, { 1, B, "right", 200 }, { 1, B, "wrong", 401 },
    { 59, A, "wrong", 429 }, { "Retry-After", "1" }, { "logged", 1 },
    { 60, A, "wrong", 401 }, { 60, A, "wrong", 401 }, { 60, A, "right", 429 },
    { 61, A, "right", 200 },
    { 61, A, "wrong", 401 }, { 61, A, "wrong", 429 }, { "logged", 3 },
  },
  ["right and missing passwords take no place"] = {
    { 0, A, "right", 200 }, { 0, A, "right", 200 }, { 0, A, "missing", 401 },
    { 0, A, "right", 200 }, { 0, A, "missing", 401 }, { 0, A, "wrong", 401 },
    { 0, A, "wrong", 401 }, { 0, A, "wrong", 401 }, { 0, A, "right", 429 },
  },
  ["lost requests keep their places until they age out"] = {
    { 0, A, "lost", 401 }, { 10, A, "lost", 401 }, { 20, A, "lost", 401 },
    { 30, A, "right", 429 }, { "Retry-After", "30" }, { 60, A, "right", 200 },
    { 60, A, "wrong", 401 }, { 60, A, "right", 429 }, { 70, A, "right", 200 },
  },
}

local failures = 0
for name, steps in pairs(scenarios) do
  _G.confkit_guesses, logged = nil, {}
  for i, step in ipairs(steps) do
    local got, want
    if step[1] == "Retry-After" then
      got, want = last.resp_header["Retry-After"], step[2]
    elseif step[1] == "logged" then
      got, want = #logged, step[2]
    else
      clock = step[1]
      got, want = request(step[2], step[3]), step[4]
    end
    if got ~= want then
      failures = failures + 1
      io.stderr:write(("FAIL %s, step %d: %s, not %s\n"):format(name, i, tostring(got), tostring(want)))
    end
  end
end
if failures > 0 then os.exit(1) end
io.write("the guess limit holds in every scenario\n")
