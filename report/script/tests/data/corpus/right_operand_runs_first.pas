function F: Integer;
begin
  Result := (1 div 0) + (2 mod 0);
end;
