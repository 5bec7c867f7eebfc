UPDATE environment SET status = 3
 WHERE kind = 1 AND rule = 2;
