#!/usr/bin/python
# -*- coding: utf-8 -*-
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: proxy_restore
short_description: Bring back one revision of a proxy configuration file from its history
version_added: "1.0.0"
author:
  - confkit developers
extends_documentation_fragment:
  - confkit.proxy.confctl
description:
  - Makes the caching proxy's configuration file byte for byte equal to one revision of its
    history (C(FILE.history/) beside the file), through C(confctl restore) on the managed host.
  - The restore is itself recorded as a new revision, C(restore of revision N); the revision
    restored stays in the history.
  - C(confctl history list FILE) shows the revisions there are; revision 0 is the file as it was
    before the first recorded save.
  - A second run with the same parameters changes nothing, since the file already holds those
    bytes.
options:
  revision:
    description: The number of the revision to bring back.
    type: int
    required: true
'''

EXAMPLES = r'''
- name: The configuration as it was before the first recorded change
  confkit.proxy.proxy_restore:
    path: /etc/tarrowgate/proxy.conf
    revision: 0
    reason: undo the rule changes of the last rollout

- name: Revision 12 is back, and what the restore changes is shown
  confkit.proxy.proxy_restore:
    path: "{{ proxy_conf }}"
    revision: 12
  diff: true
'''

RETURN = r'''
changed:
  description: Whether the file was (or, in check mode, would be) changed.
  returned: always
  type: bool
revision:
  description:
    - The number of the new revision that records the restore; none when nothing was saved (the
      file already held those bytes, or check mode).
  returned: always
  type: int
  sample: 7
backup_file:
  description:
    - The copy of the file's content before the restore, the previous revision in the file's
      history (C(FILE.history/N)), as the file modules give it with I(backup).
  returned: when the file was changed, outside check mode
  type: str
  sample: /etc/tarrowgate/proxy.conf.history/6
history_head:
  description:
    - The digest of the newest entry of the history's chain, as C(confctl history verify) prints
      it; kept elsewhere, it shows whether the history was rewritten.
  returned: always
  type: str
incidental:
  description: Always empty; a restore writes the revision's bytes as they are.
  returned: always
  type: list
  elements: str
loss:
  description: Always empty; a restore writes the revision's bytes as they are.
  returned: always
  type: list
  elements: str
diff:
  description: The unified diff from the file on disk to the revision, in diff mode.
  returned: when diff mode is on and the file changed
  type: dict
'''

from ansible_collections.confkit.proxy.plugins.module_utils.confctl import (
    confctl_module, exit_with_report, run_edit)


def main():
    module = confctl_module(revision=dict(type='int', required=True))
    params = module.params
    if params['revision'] < 0:
        module.fail_json(msg='revision must be 0 or more, not %d' % params['revision'])
    report = run_edit(module, ['restore'], ['--', params['path'], str(params['revision'])])
    exit_with_report(module, report)


if __name__ == '__main__':
    main()
