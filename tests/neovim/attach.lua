-- Neovim as a user's editor would run the language server: attached to a .sql buffer, asked
-- for completion and hover, its diagnostic's quick fix applied, the buffer written. What it
-- heard goes to $RESULTS, a line each; any failure or time-out quits with status 1.
local wqnprep, input, results = os.getenv('WQNPREP'), os.getenv('INPUT'), os.getenv('RESULTS')
local timeout = 10000
local lines = {}

local function check(holds, what)
  if not holds then error(what, 2) end
end

local function run()
  vim.cmd('edit ' .. vim.fn.fnameescape(input))
  local buffer = vim.api.nvim_get_current_buf()
  local client = vim.lsp.start_client({ name = 'wqnprep', cmd = { wqnprep, '--lsp' },
                                        root_dir = vim.fn.fnamemodify(input, ':h') })
  check(client, 'the server did not start')
  vim.lsp.buf_attach_client(buffer, client)
  local uri = vim.uri_from_bufnr(buffer)
  local function ask(method, params)
    params.textDocument = { uri = uri }
    local answers = vim.lsp.buf_request_sync(buffer, method, params, timeout)
    check(answers and answers[client], method .. ': no answer')
    check(not answers[client].err, method .. ': ' .. vim.inspect(answers[client].err))
    return answers[client].result
  end

  check(vim.wait(timeout, function() return #vim.diagnostic.get(buffer) > 0 end, 20),
        'no diagnostics')
  for _, d in ipairs(vim.diagnostic.get(buffer)) do
    table.insert(lines, string.format('diagnostic %d:%d-%d %s %s', d.lnum + 1, d.col + 1,
                                      d.end_col + 1, d.code, d.message))
  end

  local completion = ask('textDocument/completion', { position = { line = 1, character = 18 } })
  for _, item in ipairs(completion.items or completion) do
    table.insert(lines, 'completion ' .. item.detail)
  end
  local hover = ask('textDocument/hover', { position = { line = 2, character = 20 } })
  table.insert(lines, 'hover ' .. hover.contents.value:gsub('\n', ' '))

  local d = vim.diagnostic.get(buffer)[1]
  local actions = ask('textDocument/codeAction', {
    range = { start = { line = d.lnum, character = d.col },
              ['end'] = { line = d.end_lnum, character = d.end_col } },
    context = { diagnostics = vim.lsp.diagnostic.get_line_diagnostics(buffer, d.lnum) },
  })
  check(#actions > 0 and actions[1].isPreferred, 'no preferred quick fix')
  table.insert(lines, 'action ' .. actions[1].title)
  vim.lsp.util.apply_workspace_edit(actions[1].edit, 'utf-16')
  check(vim.wait(timeout, function() return #vim.diagnostic.get(buffer) == 0 end, 20),
        'the fix left diagnostics')
  vim.cmd('write')
  vim.lsp.stop_client(client)
  check(vim.wait(timeout, function() return vim.lsp.client_is_stopped(client) end, 20),
        'the server did not stop')
end

local ok, failure = pcall(run)
if not ok then table.insert(lines, 'FAILED: ' .. tostring(failure)) end
vim.fn.writefile(lines, results)
vim.cmd(ok and 'qall!' or 'cquit 1')
