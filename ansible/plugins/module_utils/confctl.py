# -*- coding: utf-8 -*-
# Running confctl on the managed host and turning its JSON change report
# into a module result. Shared by every module of the collection.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json

from ansible.module_utils.basic import AnsibleModule

# The options every module takes, as the doc fragment confkit.proxy.confctl
# documents them.
SHARED_ARGUMENTS = dict(
    path=dict(type='path', required=True),
    confctl=dict(type='path', required=False, default=None),
    accept_loss=dict(type='bool', required=False, default=False),
    reason=dict(type='str', required=False, default=None),
)


def confctl_module(**arguments):
    """The module with the shared options and its own; every module
    supports check mode through confctl --dry-run."""
    options = dict(SHARED_ARGUMENTS)
    options.update(arguments)
    return AnsibleModule(options, supports_check_mode=True)


def caller_name(module):
    """The module's short name (proxy_rules), which confctl records as the
    program of a revision: "confctl (proxy_rules)"."""
    return module._name.rsplit('.', 1)[-1]


def confctl_binary(module):
    """The confctl program: the task's confctl parameter, or the one on PATH."""
    given = module.params.get('confctl')
    if given:
        return given
    return module.get_bin_path('confctl', required=True)


def run_edit(module, subcommand, arguments, data=None):
    """Runs an editing subcommand of confctl (a list of words, such as
    ['protect', 'put']) with --json (and --dry-run in check mode,
    --accept-loss when the task accepts a loss, --reason when it gives one),
    in the name of the module, and returns its report {"changed", "diff",
    "readable_diff", "incidental", "loss", "revision", ...}. A refusal of confctl fails the
    task with confctl's message, in check mode too: a save that would lose
    text is refused by the dry run as by the real one."""
    command = [confctl_binary(module)] + subcommand
    command += ['--json'] + (['--dry-run'] if module.check_mode else [])
    command += ['--accept-loss'] if module.params.get('accept_loss') else []
    reason = module.params.get('reason')
    command += ['--reason', reason] if reason is not None else []
    command += arguments
    rc, out, err = module.run_command(command, data=data, binary_data=data is not None,
                                      environ_update=dict(CONFCTL_CALLER=caller_name(module)))
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


def recorded(report):
    """What the file's history recorded of the save: the new revision (None
    when nothing was saved), the copy of the content it replaced (only when
    there is one) and the head of the history's chain."""
    result = dict(revision=report.get('revision'), history_head=report.get('history_head', ''))
    if report.get('backup_file'):
        result['backup_file'] = report['backup_file']
    return result


def exit_with_report(module, report):
    """Ends the task with confctl's report: changed, what the save lost (as
    accepted) and its other incidental changes, what the history recorded,
    and for diff mode the diff a person reads (the lines whose text changes,
    with a count of the line ends that change)."""
    result = dict(changed=bool(report.get('changed')),
                  incidental=report.get('incidental', []),
                  loss=report.get('loss', []))
    result.update(recorded(report))
    if module._diff and result['changed']:
        notes = ''.join('# lost: %s\n' % note for note in result['loss'])
        notes += ''.join('# %s\n' % note for note in result['incidental'])
        result['diff'] = dict(prepared=notes + report.get('readable_diff', ''))
    module.exit_json(**result)
