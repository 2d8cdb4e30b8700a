// The page's one script: a filter box over each table marked "filterable",
// which hides the rows that do not contain the text typed. The page works the
// same without it.
'use strict';
document.querySelectorAll('table.filterable').forEach((table) => {
  const rows = Array.from(table.tBodies[0].rows).filter((r) => !r.classList.contains('none'));
  if (rows.length < 4) return;
  const label = document.createElement('label');
  label.className = 'filter-box';
  label.textContent = 'Filter rows ';
  const box = document.createElement('input');
  box.type = 'search';
  box.setAttribute('aria-label', `Filter the rows of ${table.caption ? table.caption.textContent : 'the table'}`);
  box.setAttribute('aria-controls', table.id);
  label.appendChild(box);
  table.closest('.table-wrap').before(label);
  box.addEventListener('input', () => {
    const text = box.value.trim().toLowerCase();
    for (const row of rows) row.hidden = text !== '' && !row.textContent.toLowerCase().includes(text);
  });
});
