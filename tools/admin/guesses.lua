-- Limits wrong passwords per client address: once an address has given
-- `limit` of them within the last `window` seconds, its requests are answered
-- 429 before any password is checked, until the oldest of them is `window`
-- seconds old. Other addresses go on as before. serve.sh puts `limit` and
-- `window` above this text.
--
-- The server runs this twice per request in one Lua state, whose table _G
-- outlives the request: ahead of the password check (no status yet) and as
-- the answer starts. A request that carries a password takes a place in its
-- address's list ahead of the check, so that guesses sent all at once cannot
-- all pass it; the place is given back unless the answer is 401. A place
-- whose request never finishes ages out with the window like the others.
local r = lighty.r
local now = os.time()
local taken = "CONFKIT_ADMIN_GUESS" -- the request's place, in its environment
local state = _G.confkit_guesses or { tries = {}, locked = {} }
_G.confkit_guesses = state

-- The times of the address's places still within the window, oldest first.
local function recent(address)
  local kept = {}
  for _, t in ipairs(state.tries[address] or {}) do
    if t > now - window then kept[#kept + 1] = t end
  end
  state.tries[address] = #kept > 0 and kept or nil
  return kept
end

-- Now and then, addresses that have not come back lose their old places.
local function sweep()
  state.passes = (state.passes or 0) + 1
  if state.passes % 1000 ~= 0 then return end
  for address in pairs(state.tries) do recent(address) end
  for address in pairs(state.locked) do
    if not state.tries[address] then state.locked[address] = nil end
  end
end

local function before_check(address)
  sweep()
  local tries = recent(address)
  if #tries >= limit then
    local free = tries[1] + window
    if not state.locked[address] then
      state.locked[address] = true
      print(("locked out %s: %d wrong passwords within %d s; answering 429 until %s")
        :format(address, #tries, window, os.date("!%Y-%m-%d %H:%M:%S UTC", free)))
    end
    return 429
  end
  state.locked[address] = nil
  if r.req_header["Authorization"] then
    tries[#tries + 1] = now
    state.tries[address] = tries
    r.req_env[taken] = tostring(now)
  end
  return 0
end

local function on_answer(address)
  local status, place = r.req_item.http_status, r.req_env[taken]
  local oldest = status == 429 and state.locked[address] and recent(address)[1]
  if oldest then
    -- set here: the server clears the headers of the answers it makes itself
    r.resp_header["Retry-After"] = tostring(oldest + window - now)
  end
  if not place or status == 401 then return 0 end
  local tries = state.tries[address] or {}
  for i = #tries, 1, -1 do
    if tostring(tries[i]) == place then
      table.remove(tries, i)
      break
    end
  end
  return 0
end

local address = r.req_attr["request.remote-ip"]
if r.req_item.http_status == 0 then return before_check(address) end
return on_answer(address)
