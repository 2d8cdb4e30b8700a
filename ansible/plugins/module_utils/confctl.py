# -*- coding: utf-8 -*-
# Running confctl on the managed host and turning its JSON change report
# into a module result. Shared by proxy_rules and proxy_block.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json

CONFCTL_ARGUMENT = dict(type='path', required=False, default=None)
ACCEPT_LOSS_ARGUMENT = dict(type='bool', required=False, default=False)


def confctl_binary(module):
    """The confctl program: the task's confctl parameter, or the one on PATH."""
    given = module.params.get('confctl')
    if given:
        return given
    return module.get_bin_path('confctl', required=True)


def run_edit(module, subcommand, arguments, data=None):
    """Runs an editing subcommand of confctl (a list of words, such as
    ['protect', 'put']) with --json (and --dry-run in check mode, and
    --accept-loss when the task accepts a loss) and returns its report
    {"changed", "diff", "readable_diff", "incidental", "loss", ...}. A
    refusal of confctl fails the task with confctl's message, in check mode
    too: a save that would lose text is refused by the dry run as by the real
    one."""
    command = [confctl_binary(module)] + subcommand
    command += ['--json'] + (['--dry-run'] if module.check_mode else [])
    command += ['--accept-loss'] if module.params.get('accept_loss') else []
    command += arguments
    rc, out, err = module.run_command(command, data=data, binary_data=data is not None)
    try:
        report = json.loads(out)
    except ValueError:
        report = None
    if rc != 0:
        module.fail_json(msg=err.strip() or 'confctl failed with status %d' % rc,
                         loss=(report or {}).get('loss', []),
                         rc=rc, stdout=out, stderr=err, cmd=command)
    if report is None:
        module.fail_json(msg='confctl printed no JSON report', stdout=out, stderr=err, cmd=command)
    return report


def exit_with_report(module, report):
    """Ends the task with confctl's report: changed, what the save lost (as
    accepted) and its other incidental changes, and for diff mode the diff a
    person reads (the lines whose text changes, with a count of the line ends
    that change)."""
    result = dict(changed=bool(report.get('changed')),
                  incidental=report.get('incidental', []),
                  loss=report.get('loss', []))
    if module._diff and result['changed']:
        notes = ''.join('# lost: %s\n' % note for note in result['loss'])
        notes += ''.join('# %s\n' % note for note in result['incidental'])
        result['diff'] = dict(prepared=notes + report.get('readable_diff', ''))
    module.exit_json(**result)
