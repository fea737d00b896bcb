SELECT [a]]b] & "x" FROM [t] WHERE d > #3/4/2021 10:30:00 PM# -- c
 AND e = 'it''s'