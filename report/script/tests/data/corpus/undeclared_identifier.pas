procedure P;
begin
  Total := 1;
end;
